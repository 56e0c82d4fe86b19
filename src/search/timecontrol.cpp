// A think may use a thirtieth of the reported clock; console thinks are bounded by depth
// unless "st" sets a time per move; a protocol think without a reported clock uses st, level
// or a few seconds.
#include "search/timecontrol.h"

#include <ctime>

namespace search {

int timeLeft = 0;
bool outOfTime = false;
bool protocolClock = false;
bool timeReceived = false;
int moveTimeMs = 0;
Level level = {0, 0, 0};
thread_local constinit int timeBudget = 0;
thread_local constinit ClockReading thinkStart = {0, 0};

namespace {
constexpr long NANOSECONDS_PER_MILLISECOND = 1000000;

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

bool timeUp() { return elapsedMilliseconds(thinkStart, readClock()) >= timeBudget; }

}  // namespace search
