// Root moves the search leaves out: those outside a "searchmoves" list, and those an earlier
// pass of a multi-line iteration has already reported. Off by default: the design's root.
#pragma once

#include "types.h"

namespace search {

constexpr int MAX_ROOT_MOVES = 256;

// True while any root move is left out; the search asks rootMoveSkipped only then.
extern thread_local constinit bool rootFilterActive;

// Only these moves at the root (squares and promotion compared); none: every move.
void restrictRootMoves(const Move* moves, int count);
// Leaves this root move out as well, until clearRootExclusions.
void excludeRootMove(const Move& move);
void clearRootExclusions();
bool rootMoveSkipped(const Move& move);
// The "searchmoves" list in force, for another search thread to restrict its root the same way.
int allowedRootMoves(Move* moves);

}  // namespace search
