// The clock, the time budget of a think and the question whether it is used up.
#pragma once

#include <cstdint>

namespace search {

constexpr int CONSOLE_TIME_BUDGET_MS = 10000000;
constexpr int MILLISECONDS_PER_CENTISECOND = 10;
constexpr int BUDGET_SHARE_OF_CLOCK = 30;
constexpr int MILLISECONDS_PER_SECOND = 1000;

struct ClockReading {
    std::int64_t seconds;
    std::uint16_t milliseconds;
};

// A steady clock for timing; wall-clock milliseconds only seed the generator.
ClockReading readClock();
int wallClockMilliseconds();
std::int64_t elapsedMilliseconds(const ClockReading& start, const ClockReading& now);

extern int timeLeft;  // centiseconds, from the protocol's "time"
extern int moveTimeMs;  // a fixed time per think set by "st"; 0 when none
extern int timeBudget;  // milliseconds this think may use
extern ClockReading thinkStart;

int computeTimeBudget();
bool timeUp();

}  // namespace search
