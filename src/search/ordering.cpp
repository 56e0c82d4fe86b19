// Scores the list of the current ply once; picking is a partial selection per move.
#include "search/ordering.h"

#include <cstring>
#include <utility>

#include "movegen/movelist.h"
#include "search/pv.h"
#include "search/transposition.h"

namespace search {

thread_local constinit int HistoryTable[BOARD_SIZE][BOARD_SIZE][BOARD_SIZE][BOARD_SIZE];
thread_local constinit KillerSlots KillerTable[MAX_PLY] = {};
thread_local constinit bool followPv = false;

namespace {

constexpr int OFF_PV_HISTORY_SHIFT = 2;

int killerBonus(const Move& move, const KillerSlots& killers) {
    if (sameMove(move, killers.killer1)) return KILLER1_BONUS;
    if (sameMove(move, killers.killer2)) return KILLER2_BONUS;
    if (sameMove(move, killers.killer3)) return KILLER3_BONUS;
    return 0;
}

int& historyOf(const Move& move) { return HistoryTable[move.fromRow][move.fromCol][move.toRow][move.toCol]; }

}  // namespace

void scoreMoves() {
    const int ply = movegen::searchPly;
    const Move tableMove = unpackMove(transpositionSlot().move);
    const KillerSlots& killers = KillerTable[ply];
    Move* list = movegen::MoveList[ply];
    const int count = movegen::moveCount[ply];
    if (followPv) {
        followPv = false;
        const Move& pvMove = PvTable[0][ply];
        for (int index = 0; index < count; ++index) {
            Move& move = list[index];
            if (sameMove(move, tableMove)) move.score += TT_MOVE_BONUS;
            if (sameMove(move, pvMove)) {
                move.score += PV_MOVE_BONUS;
                followPv = true;
                continue;
            }
            move.score += historyOf(move) + killerBonus(move, killers);
        }
        return;
    }
    for (int index = 0; index < count; ++index) {
        Move& move = list[index];
        if (sameMove(move, tableMove)) move.score += TT_MOVE_BONUS;
        move.score += (historyOf(move) >> OFF_PV_HISTORY_SHIFT) + killerBonus(move, killers);
    }
}

void pickNextMove(int index) {
    Move* list = movegen::MoveList[movegen::searchPly];
    const int count = movegen::moveCount[movegen::searchPly];
    int best = index;
    int bestScore = list[index].score;
    // Written without a branch: which move scores higher is a coin toss the predictor loses.
    for (int next = index + 1; next < count; ++next) {
        const int score = list[next].score;
        const bool higher = score > bestScore;
        best = higher ? next : best;
        bestScore = higher ? score : bestScore;
    }
    if (best != index) std::swap(list[index], list[best]);
}

void updateKillers(Move move, int value) {
    KillerSlots& killers = KillerTable[movegen::searchPly];
    move.score = value;
    if (value > killers.killer1.score) {
        killers.killer3 = killers.killer2;
        killers.killer2 = killers.killer1;
        killers.killer1 = move;
    } else if (value > killers.killer2.score) {
        killers.killer3 = killers.killer2;
        killers.killer2 = move;
    }
}

void raiseHistory(const Move& move, int depth) {
    int& counter = historyOf(move);
    const long long raised = static_cast<long long>(counter) + (1LL << depth);
    counter = raised > HISTORY_LIMIT ? HISTORY_LIMIT : static_cast<int>(raised);
}

void clearHistory() { std::memset(HistoryTable, 0, sizeof HistoryTable); }

void clearKillers() {
    for (KillerSlots& killers : KillerTable) {
        killers.killer1.piece = killers.killer2.piece = killers.killer3.piece = EMPTY;
        killers.killer1.score = killers.killer2.score = KILLER_CLEARED_SCORE;
    }
}

void resetKillerScores() {
    for (KillerSlots& killers : KillerTable) killers.killer1.score = killers.killer2.score = KILLER_CLEARED_SCORE;
}

}  // namespace search
