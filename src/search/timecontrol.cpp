// A think may use a thirtieth of the reported clock; console thinks are bounded by depth
// unless "st" sets a time per move.
#include "search/timecontrol.h"

#include <ctime>

#include "frontend/console.h"

namespace search {

int timeLeft = 0;
int moveTimeMs = 0;
int timeBudget = 0;
ClockReading thinkStart = {0, 0};

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
    if (!frontend::xboardMode) return moveTimeMs > 0 ? moveTimeMs : CONSOLE_TIME_BUDGET_MS;
    const std::int64_t budget =
        static_cast<std::int64_t>(timeLeft) * MILLISECONDS_PER_CENTISECOND / BUDGET_SHARE_OF_CLOCK;
    return static_cast<int>(budget);
}

bool timeUp() { return elapsedMilliseconds(thinkStart, readClock()) >= timeBudget; }

}  // namespace search
