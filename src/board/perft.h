// perft: walks the legal move tree and counts every move made at every level.
#pragma once

namespace board {

// Deepest perft the per-ply lists allow from the root.
int maxPerftDepth();
// Adds to search::nodeCount; the depth must not exceed maxPerftDepth().
void perft(int depth);

}  // namespace board
