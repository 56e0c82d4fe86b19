// The playing level: the table that maps an Elo to what the search may see and lose, the
// weighted choice among the root lines, and the floor under a limited level's reply time.
#include "search/strength.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <thread>

#include "board/random.h"
#include "eval/evaluate.h"
#include "search/pv.h"
#include "search/search.h"
#include "search/think.h"

namespace search {

namespace {

constexpr int STRENGTH_OFF = 0;

// One calibrated level: nodes a search may count, and the centipawns a chosen line may lose
// against the best. Levels between rows take the geometric mean of the node budgets and the
// linear mean of the losses. The last row is the full strength: no budget, no choice.
struct LevelRow {
    int elo;
    std::int64_t nodes;
    int lossCp;
};
// clang-format off
constexpr LevelRow LEVEL_TABLE[] = {
    { 800,     600, 170},
    {1000,    2000, 110},
    {1200,    5000,  75},
    {1400,   18000,  50},
    {1600,  150000,  16},
    {1800, 1000000,   0},
};
// clang-format on
constexpr int LEVEL_ROWS = sizeof LEVEL_TABLE / sizeof LEVEL_TABLE[0];
static_assert(LEVEL_TABLE[0].elo == STRENGTH_MIN_ELO && LEVEL_TABLE[LEVEL_ROWS - 1].elo == STRENGTH_MAX_ELO);
constexpr bool tableRises() {
    for (int row = 1; row < LEVEL_ROWS; ++row)
        if (LEVEL_TABLE[row].elo <= LEVEL_TABLE[row - 1].elo || LEVEL_TABLE[row].nodes <= LEVEL_TABLE[row - 1].nodes ||
            LEVEL_TABLE[row].lossCp > LEVEL_TABLE[row - 1].lossCp)
            return false;
    return true;
}
static_assert(tableRises(), "a higher level sees more and loses less");

constexpr std::chrono::milliseconds REPLY_POLL{2};
constexpr int RANDOM_BITS = 15;

int requestedElo = STRENGTH_OFF;

bool (*driverInterrupts)() = nullptr;
std::int64_t nodeBudgetEnd = 0;

bool budgetInterrupts() {
    // The first iteration always finishes: a level must have lines to choose from.
    if (anyLineReported() && nodeCount >= nodeBudgetEnd) return true;
    return driverInterrupts != nullptr && driverInterrupts();
}

StrengthPlan planFor(int elo) {
    int row = 1;
    while (row < LEVEL_ROWS - 1 && LEVEL_TABLE[row].elo < elo) ++row;
    const LevelRow& low = LEVEL_TABLE[row - 1];
    const LevelRow& high = LEVEL_TABLE[row];
    const double share = static_cast<double>(elo - low.elo) / (high.elo - low.elo);
    const double nodes = std::exp(std::log(static_cast<double>(low.nodes)) * (1 - share) +
                                  std::log(static_cast<double>(high.nodes)) * share);
    const int loss = static_cast<int>(std::lround(low.lossCp + (high.lossCp - low.lossCp) * share));
    return {true, static_cast<std::int64_t>(nodes), loss};
}

// Thirty bits from two draws: the weights below add up past what one draw holds.
std::int64_t randomBelow(std::int64_t bound) {
    const std::int64_t draw = (static_cast<std::int64_t>(board::random15()) << RANDOM_BITS) | board::random15();
    return draw % bound;
}

}  // namespace

bool setStrength(int elo) {
    if (elo < STRENGTH_MIN_ELO || elo > STRENGTH_MAX_ELO) return false;
    requestedElo = elo;
    return true;
}

void clearStrength() { requestedElo = STRENGTH_OFF; }

int strengthElo() { return requestedElo; }

StrengthPlan beginSearchAtLevel() {
    const int elo = requestedElo;
    const bool limited = elo != STRENGTH_OFF;
    // Against a lone king every level plays its best: a weak level that cannot mate is no opponent.
    const bool loneKing = limited && eval::loneKingOnBoard();
    eval::setLoneKingGuidance(loneKing);
    if (!limited || loneKing || elo >= STRENGTH_MAX_ELO) return {false, 0, 0};
    return planFor(elo);
}

void armNodeBudget(std::int64_t budget) {
    driverInterrupts = inputInterrupts;
    nodeBudgetEnd = nodeCount + budget;
    inputInterrupts = budgetInterrupts;
}

void disarmNodeBudget() { inputInterrupts = driverInterrupts; }

int chooseLine(const int* scores, int count, int lossBudget) {
    if (count <= 1) return 0;
    const int best = scores[0];
    // A mate either way is played as found: never thrown away, and no line is better when mated.
    if (std::abs(best) > MATE_THRESHOLD) return 0;
    // Weights fall with the square of the loss, so the best lines are chosen most often; a line
    // outside the budget, or one that lets the other side mate, is never chosen.
    std::int64_t weights[MAX_MULTI_PV];
    std::int64_t total = 0;
    for (int rank = 0; rank < count; ++rank) {
        const int loss = best - scores[rank];
        const bool allowed = loss <= lossBudget && scores[rank] > -MATE_THRESHOLD;
        const std::int64_t margin = lossBudget - loss + 1;
        weights[rank] = allowed ? margin * margin : 0;
        total += weights[rank];
    }
    std::int64_t draw = randomBelow(total);
    for (int rank = 0; rank < count; ++rank) {
        if (draw < weights[rank]) return rank;
        draw -= weights[rank];
    }
    return 0;
}

void holdReplyAtLevel(const ClockReading& start, int budgetMs) {
    if (requestedElo == STRENGTH_OFF) return;
    const std::int64_t floorMs = std::min(MIN_REPLY_MS, budgetMs);
    // Readings are cut to whole milliseconds, so a reading of floorMs may still be short of it.
    while (elapsedMilliseconds(start, readClock()) <= floorMs) {
        if (inputInterrupts != nullptr && inputInterrupts()) return;
        std::this_thread::sleep_for(REPLY_POLL);
    }
}

}  // namespace search
