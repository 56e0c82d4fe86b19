// perft: walks the legal move tree; counts every move made at every level (the console's
// perft), or the leaves of one depth (the count UCI engines print), also per root move.
#pragma once

#include <cstdint>

#include "types.h"

namespace board {

// Deepest perft the per-ply lists allow from the root.
int maxPerftDepth();
// Adds to search::nodeCount; the depth must not exceed maxPerftDepth().
void perft(int depth);
// The legal move sequences of exactly this length: 1 at depth 0. Touches no counter;
// the depth must not exceed maxPerftDepth().
std::int64_t perftLeaves(int depth);
// Told each legal root move, in generation order, with the leaves of depth - 1 below it.
using RootLeavesReport = void (*)(const Move& move, std::int64_t leaves, void* context);
// perftLeaves(depth) split over the root moves, each handed to report as soon as it is counted,
// while it is still made on the board (report must leave the position alone); returns the
// total. Depth 0 has no root moves and returns 1.
std::int64_t perftDivide(int depth, RootLeavesReport report, void* context);

}  // namespace board
