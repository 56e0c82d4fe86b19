// Scores the list of the current ply once; picking is a partial selection per move.
#include "search/ordering.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
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

// Picking scans each list's scores, copied side by side from the records, several at a time.
// Past a list's end lie scores below any move's, so the last lanes need no test.
constexpr int PICK_LANES = 4;
using ScoreLanes = std::int32_t __attribute__((vector_size(PICK_LANES * sizeof(std::int32_t))));
constexpr std::int32_t BELOW_ANY_SCORE = std::numeric_limits<std::int32_t>::min();
constexpr ScoreLanes FIRST_LANES = {0, 1, 2, 3};
static_assert(PICK_LANES == 4, "FIRST_LANES numbers every lane");
// Every position a lane can hold, padding included, lies below this.
constexpr std::int64_t POSITION_RANGE = 1024;
static_assert(MAX_MOVES + PICK_LANES < POSITION_RANGE);
thread_local constinit std::int32_t PickScores[MAX_PLY][MAX_MOVES + PICK_LANES] = {};

void padPickScores(std::int32_t* scores, int count) {
    for (int lane = 0; lane < PICK_LANES; ++lane) scores[count + lane] = BELOW_ANY_SCORE;
}

ScoreLanes loadLanes(const std::int32_t* scores) {
    ScoreLanes lanes;
    std::memcpy(&lanes, scores, sizeof lanes);
    return lanes;
}

// The killers' identities, read once per list rather than once per move.
struct KillerIdentities {
    std::uint64_t first;
    std::uint64_t second;
    std::uint64_t third;
};

KillerIdentities identitiesOf(const KillerSlots& killers) {
    return {moveIdentity(killers.killer1), moveIdentity(killers.killer2), moveIdentity(killers.killer3)};
}

int killerBonus(std::uint64_t move, const KillerIdentities& killers) {
    if (move == killers.first) return KILLER1_BONUS;
    if (move == killers.second) return KILLER2_BONUS;
    if (move == killers.third) return KILLER3_BONUS;
    return 0;
}

int& historyOf(const Move& move) { return HistoryTable[move.fromRow][move.fromCol][move.toRow][move.toCol]; }

}  // namespace

void preparePicking() {
    const int ply = movegen::searchPly;
    const Move* list = movegen::MoveList[ply];
    const int count = movegen::moveCount[ply];
    std::int32_t* scores = PickScores[ply];
    for (int index = 0; index < count; ++index) scores[index] = list[index].score;
    padPickScores(scores, count);
}

void scoreMoves() {
    const int ply = movegen::searchPly;
    const std::uint64_t tableMove = moveIdentity(unpackMove(transpositionSlot().move));
    const KillerIdentities killers = identitiesOf(KillerTable[ply]);
    Move* list = movegen::MoveList[ply];
    const int count = movegen::moveCount[ply];
    if (followPv) {
        followPv = false;
        const std::uint64_t pvMove = moveIdentity(PvTable[0][ply]);
        for (int index = 0; index < count; ++index) {
            Move& move = list[index];
            const std::uint64_t identity = moveIdentity(move);
            if (identity == tableMove) move.score += TT_MOVE_BONUS;
            if (identity == pvMove) {
                move.score += PV_MOVE_BONUS;
                followPv = true;
                continue;
            }
            move.score += historyOf(move) + killerBonus(identity, killers);
        }
        preparePicking();
        return;
    }
    for (int index = 0; index < count; ++index) {
        Move& move = list[index];
        const std::uint64_t identity = moveIdentity(move);
        if (identity == tableMove) move.score += TT_MOVE_BONUS;
        move.score += (historyOf(move) >> OFF_PV_HISTORY_SHIFT) + killerBonus(identity, killers);
        PickScores[ply][index] = move.score;
    }
    padPickScores(PickScores[ply], count);
}

void pickNextMove(int index) {
    Move* list = movegen::MoveList[movegen::searchPly];
    std::int32_t* scores = PickScores[movegen::searchPly];
    const int count = movegen::moveCount[movegen::searchPly];
    // Lane by lane, the first position holding the lane's highest score: a later one must be
    // strictly higher to take over, as a scan from the front would have it.
    ScoreLanes position = FIRST_LANES + index;
    ScoreLanes best = loadLanes(scores + index);
    ScoreLanes at = position;
    for (int next = index + PICK_LANES; next < count; next += PICK_LANES) {
        position += PICK_LANES;
        const ScoreLanes lanes = loadLanes(scores + next);
        const ScoreLanes higher = lanes > best;
        best = (lanes & higher) | (best & ~higher);
        at = (position & higher) | (at & ~higher);
    }
    // Across the lanes: the highest score, and of equal ones the earliest position. Both go into
    // one word (the position turned round, so that earlier is higher), and its maximum is taken
    // without a branch: which lane wins is a coin toss the predictor loses.
    const auto rank = [&](int lane) {
        return static_cast<std::int64_t>(best[lane]) * POSITION_RANGE + (POSITION_RANGE - 1 - at[lane]);
    };
    std::int64_t top = rank(0);
    for (int lane = 1; lane < PICK_LANES; ++lane) top = std::max(top, rank(lane));
    const int bestIndex = static_cast<int>(POSITION_RANGE - 1 - (top & (POSITION_RANGE - 1)));
    if (bestIndex != index) {
        std::swap(list[index], list[bestIndex]);
        std::swap(scores[index], scores[bestIndex]);
    }
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
