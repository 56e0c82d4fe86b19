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
// The protocol reported a clock below what a move needs: a think resigns without searching.
extern bool outOfTime;
// Set by the protocol driver: thinks are timed by the protocol's clock, not the console's rules.
extern bool protocolClock;
extern bool timeReceived;  // a "time" came in this game (protocol mode)
extern int moveTimeMs;  // a fixed time per think set by "st"; 0 when none

// The protocol's "level MPS BASE INC": moves per period (0: the whole game), the period's time
// and the increment per move. Used only while no "time" has come in the game.
struct Level {
    int moves;
    int baseMs;
    int incrementMs;
};
extern Level level;  // all 0 until "level" is read

// Protocol mode with neither "time", "st" nor "level": a few seconds a move.
constexpr int DEFAULT_MOVE_TIME_MS = 3000;
// A level's period is shared out as the design's clock is: a thirtieth, unless it names its moves.
constexpr int DEFAULT_MOVES_TO_GO = 30;
extern thread_local constinit int timeBudget;  // milliseconds this think may use
extern thread_local constinit ClockReading thinkStart;

int computeTimeBudget();
bool timeUp();

}  // namespace search
