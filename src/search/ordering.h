// Move ordering: table, PV, killer and history bonuses, and lazy best-first picking.
#pragma once

#include "types.h"

namespace search {

constexpr int PV_MOVE_BONUS = 1000000;
constexpr int TT_MOVE_BONUS = 990000;
constexpr int KILLER1_BONUS = 1000;
constexpr int KILLER2_BONUS = 500;
constexpr int KILLER3_BONUS = 250;
constexpr int KILLER_CLEARED_SCORE = -1000000;
// History counters stop here, far above anything a real search adds up, so
// they can never overflow and never outgrow the sum of all bonuses.
constexpr int HISTORY_LIMIT = 1 << 30;

struct KillerSlots {
    Move killer1;
    Move killer2;
    Move killer3;
};

extern thread_local constinit int HistoryTable[BOARD_SIZE][BOARD_SIZE][BOARD_SIZE][BOARD_SIZE];
extern thread_local constinit KillerSlots KillerTable[MAX_PLY];
extern thread_local constinit bool followPv;

// Scores the current ply's list and readies it for picking.
void scoreMoves();
// Readies a list scored by its generator alone (the captures of quiescence) for picking.
void preparePicking();
// Swaps the best-scored move from index on (the first of equal ones) into index.
void pickNextMove(int index);
void updateKillers(Move move, int value);
// Adds 1 << depth for a move that cut off or raised alpha, saturating.
void raiseHistory(const Move& move, int depth);
void clearHistory();
void clearKillers();
// After each iteration: the next iteration's first cut-off takes slot 1 again.
void resetKillerScores();

}  // namespace search
