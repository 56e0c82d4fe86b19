// A think may use a thirtieth of the reported clock; console thinks are bounded by depth
// unless "st" sets a time per move; a protocol think without a reported clock uses st, level
// or a few seconds.
#include "search/timecontrol.h"

#include <algorithm>
#include <climits>
#include <ctime>

#include "board/position.h"

namespace search {

int timeLeft = 0;
bool outOfTime = false;
bool protocolClock = false;
bool timeReceived = false;
int moveTimeMs = 0;
Level level = {0, 0, 0};
thread_local constinit int timeBudget = 0;
thread_local constinit ClockReading thinkStart = {0, 0};
int moveOverheadMs = DEFAULT_MOVE_OVERHEAD_MS;
bool wholeClock = false;
SoftLimit softLimit = {false, 0, 0};

namespace {
constexpr long NANOSECONDS_PER_MILLISECOND = 1000000;
constexpr int PERCENT = 100;

// The plan: an average move may cost the clock over the moves to go plus three quarters of the
// increment, and never more than four fifths of the clock. The soft limit is half of it, as an
// iteration that ends past the soft limit has usually taken about as long again as everything
// before it; the hard limit, three times it, is there for the move that keeps changing its mind.
constexpr std::int64_t INCREMENT_SHARE_NUMERATOR = 3;
constexpr std::int64_t INCREMENT_SHARE_DENOMINATOR = 4;
constexpr std::int64_t CEILING_NUMERATOR = 4;
constexpr std::int64_t CEILING_DENOMINATOR = 5;
constexpr std::int64_t SOFT_SHARE_DENOMINATOR = 2;
constexpr std::int64_t HARD_MULTIPLE = 3;

// The soft limit's scale in percent by the iterations the best move has stood: a move that just
// changed gets more time, one that has stood for many iterations less.
constexpr int SETTLED_SCALE[] = {140, 110, 90, 80, 70, 60};
constexpr int SETTLED_STEPS = static_cast<int>(sizeof SETTLED_SCALE / sizeof SETTLED_SCALE[0]);
// A falling score adds half its fall, in centipawns, as percent, up to this fall.
constexpr int MAX_COUNTED_DROP = 100;
constexpr int DROP_SCALE_DIVISOR = 2;
constexpr int MAX_SCALE = 200;
// The next iteration is guessed to grow as the last one grew over the one before, within these.
constexpr std::int64_t MIN_GROWTH = 2;
constexpr std::int64_t MAX_GROWTH = 6;

ClockReading readingOf(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return {static_cast<std::int64_t>(now.tv_sec),
            static_cast<std::uint16_t>(now.tv_nsec / NANOSECONDS_PER_MILLISECOND)};
}
}  // namespace

ClockReading readClock() { return readingOf(CLOCK_MONOTONIC); }

int wallClockMilliseconds() { return readingOf(CLOCK_REALTIME).milliseconds; }

std::int64_t elapsedMilliseconds(const ClockReading& start, const ClockReading& now) {
    return (now.seconds - start.seconds) * MILLISECONDS_PER_SECOND + now.milliseconds - start.milliseconds;
}

int computeTimeBudget() {
    // The console thinks to its depth limit unless the user has set a time per move.
    if (!protocolClock) return moveTimeMs > 0 ? moveTimeMs : CONSOLE_TIME_BUDGET_MS;
    // The design's rule whenever the interface reports the clock; without it a think must
    // still have a budget (a budget of 0 would play the first legal move unsearched).
    if (timeReceived) {
        const std::int64_t budget =
            static_cast<std::int64_t>(timeLeft) * MILLISECONDS_PER_CENTISECOND / BUDGET_SHARE_OF_CLOCK;
        return static_cast<int>(budget);
    }
    if (moveTimeMs > 0) return moveTimeMs;
    if (level.baseMs > 0 || level.incrementMs > 0) {
        const int movesToGo = level.moves > 0 ? level.moves : DEFAULT_MOVES_TO_GO;
        const std::int64_t budget = static_cast<std::int64_t>(level.baseMs) / movesToGo + level.incrementMs;
        return static_cast<int>(budget > CONSOLE_TIME_BUDGET_MS ? CONSOLE_TIME_BUDGET_MS : budget);
    }
    return DEFAULT_MOVE_TIME_MS;
}

TimePlan planClock(const GameClock& clock, int overheadMs) {
    const std::int64_t usable = clock.timeMs - overheadMs;
    // A flag about to fall: the first move the search has, at once.
    if (usable < 1) return {1, 1};
    const std::int64_t movesToGo =
        clock.movesToGo > 0 ? std::min<std::int64_t>(clock.movesToGo, MAX_MOVES_TO_GO) : DEFAULT_MOVES_TO_GO;
    const std::int64_t increment = std::clamp<std::int64_t>(clock.incrementMs, 0, usable);
    // The drivers' clocks are bounded (a 32-bit number of centiseconds at most): no overflow here.
    const std::int64_t ceiling = std::max<std::int64_t>(1, usable * CEILING_NUMERATOR / CEILING_DENOMINATOR);
    const std::int64_t average = std::min(
        ceiling, usable / movesToGo + increment * INCREMENT_SHARE_NUMERATOR / INCREMENT_SHARE_DENOMINATOR);
    const std::int64_t soft = std::max<std::int64_t>(1, average / SOFT_SHARE_DENOMINATOR);
    const std::int64_t hard = std::max<std::int64_t>(1, std::min(ceiling, average * HARD_MULTIPLE));
    return {static_cast<int>(std::min<std::int64_t>(soft, INT_MAX)), static_cast<int>(std::min<std::int64_t>(hard, INT_MAX))};
}

TimePlan planThink() {
    if (protocolClock && timeReceived && wholeClock) {
        // The engine's own moves so far in this game, when the level names moves per period.
        const int movesDone = board::gamePly / 2;
        const std::int64_t movesToGo = level.moves > 0 ? level.moves - movesDone % level.moves : 0;
        const GameClock clock = {static_cast<std::int64_t>(timeLeft) * MILLISECONDS_PER_CENTISECOND,
                                 level.incrementMs, movesToGo};
        return planClock(clock, moveOverheadMs);
    }
    return {0, computeTimeBudget()};
}

void setSoftLimit(int lengthMs, std::int64_t fromMs) { softLimit = {lengthMs > 0, fromMs, lengthMs}; }

void clearSoftLimit() { softLimit = {false, 0, 0}; }

bool stopAfterIteration(const IterationTrend& trend) {
    if (!softLimit.active) return false;
    const std::int64_t elapsed = elapsedMilliseconds(thinkStart, readClock());
    int scale = SETTLED_SCALE[std::clamp(trend.settledIterations, 0, SETTLED_STEPS - 1)];
    scale = scale * (PERCENT + std::clamp(trend.scoreDrop, 0, MAX_COUNTED_DROP) / DROP_SCALE_DIVISOR) / PERCENT;
    scale = std::min(scale, MAX_SCALE);
    if (elapsed - softLimit.fromMs >= static_cast<std::int64_t>(softLimit.lengthMs) * scale / PERCENT) return true;
    // An iteration the hard limit would cut is not begun: its time is better kept for later moves.
    std::int64_t next = trend.lastMs * MIN_GROWTH;
    if (trend.previousMs > 0)
        next = std::clamp(trend.lastMs * trend.lastMs / trend.previousMs, trend.lastMs * MIN_GROWTH,
                          trend.lastMs * MAX_GROWTH);
    return elapsed + next > timeBudget;
}

bool timeUp() { return elapsedMilliseconds(thinkStart, readClock()) >= timeBudget; }

}  // namespace search
