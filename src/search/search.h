// The principal-variation alpha-beta search and the capture-only quiescence search.
#pragma once

namespace search {

constexpr int MATE_SCORE = 1000000;
constexpr int DRAW_SCORE = 0;
constexpr int FUTILITY_MARGIN = 200;
constexpr int NULL_MOVE_REDUCTION = 3;
constexpr int NULL_MOVE_MIN_DEPTH = 3;
constexpr int NULL_MOVE_MIN_PIECES = 5;
constexpr int FIFTY_MOVE_PLIES = 100;
constexpr int TIME_CHECK_INTERVAL_MASK = 4096 - 1;
// The last ply with a list: a node there is searched as a horizon node.
constexpr int LAST_SEARCH_PLY = 29;

extern thread_local constinit bool stopSearch;
extern thread_local constinit bool rootRepetition;
// The value of the best root move found so far in the current iteration: what an iteration cut
// short knows of the move it leaves in row 0 of the line table.
extern thread_local constinit int rootBestValue;

// Asked at every node when set (the protocol drivers set it): true stops the search.
using InputHook = bool (*)();
extern thread_local constinit InputHook inputInterrupts;

int alphaBeta(int alpha, int beta, int depth, bool nullAllowed);
int quiesce(int alpha, int beta);

}  // namespace search
