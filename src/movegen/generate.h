// Pseudo-legal move generation into the current ply's list.
#pragma once

namespace movegen {

// Every pseudo-legal move of the side to move, appended in the fixed scan order.
void generateMoves();
// The captures only, in the same relative order and with the same records.
void generateCaptures();

}  // namespace movegen
