// Pseudo-legal move generation into the current ply's list.
#pragma once

#include <cstdint>

namespace movegen {

// Every pseudo-legal move of the side to move, appended in the fixed scan order.
void generateMoves();
// The same moves, but only those of the pieces on the listed squares (bits of row * 8 + column)
// are appended; the others are counted, and their number returned. Under Chess960 castling every
// move is appended and 0 returned.
int generateCounting(std::uint64_t listed);
// The captures only, in the same relative order and with the same records.
void generateCaptures();

}  // namespace movegen
