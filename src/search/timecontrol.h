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
// A "movestogo" beyond this is planned as this many: the clock must last, not be hoarded.
constexpr int MAX_MOVES_TO_GO = 50;
extern thread_local constinit int timeBudget;  // milliseconds this think may use
extern thread_local constinit ClockReading thinkStart;

int computeTimeBudget();
bool timeUp();

// The whole clock, where an interface sends it (UCI's wtime/winc/movestogo, the second xboard
// version's time and level): a think then has a soft and a hard limit instead of one budget.
struct GameClock {
    std::int64_t timeMs;       // zero or below: the flag is about to fall
    std::int64_t incrementMs;  // added after each move
    std::int64_t movesToGo;    // moves to the next time control; 0 when the clock covers the game
};
// Soft: no iteration starts past it (scaled by how settled the search looks). Hard: the search is
// cut there, as a single budget cuts it.
struct TimePlan {
    int softMs;  // 0: none
    int hardMs;
};
// Kept back from every clock for the interface's and the network's delays.
constexpr int DEFAULT_MOVE_OVERHEAD_MS = 30;
constexpr int MIN_MOVE_OVERHEAD_MS = 0;
constexpr int MAX_MOVE_OVERHEAD_MS = 5000;
extern int moveOverheadMs;
// The second xboard version's "time" and "level" plan the think from the whole clock; the first
// version and the console keep a thirtieth of the clock.
extern bool wholeClock;
TimePlan planClock(const GameClock& clock, int overheadMs);
// The limits of a think of the console or the xboard driver: planClock over the protocol's clock
// where wholeClock holds, else computeTimeBudget as the hard limit and no soft limit (softMs 0).
TimePlan planThink();

// The soft limit of the think running: lengthMs from fromMs (milliseconds after thinkStart), or
// none. Only the main thread's iterative deepening reads it; it is dropped when that ends.
struct SoftLimit {
    bool active;
    std::int64_t fromMs;
    int lengthMs;
};
extern SoftLimit softLimit;
// A length of 0 sets none.
void setSoftLimit(int lengthMs, std::int64_t fromMs = 0);
void clearSoftLimit();

// What the finished iterations of this think say about the next one.
struct IterationTrend {
    int settledIterations;   // iterations in a row whose best move was the one before's (0: it just changed)
    int scoreDrop;           // the previous iteration's score less this one's, in centipawns
    std::int64_t lastMs;     // how long the iteration just finished took
    std::int64_t previousMs; // and the one before it (0 for the first)
};
// True when the think should play what the finished iterations found rather than start another.
bool stopAfterIteration(const IterationTrend& trend);

}  // namespace search
