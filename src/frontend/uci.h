// The UCI driver: the console command "uci" hands the rest of the run to it.
#pragma once

namespace frontend {

constexpr int UCI_MOVE_OVERHEAD_MS = 30;
constexpr int UCI_DEFAULT_MOVES_TO_GO = 30;
constexpr int UCI_MAX_MOVES_TO_GO = 50;

struct UciClock {
    long long time;       // the engine's clock, ms; negative when not given
    long long increment;  // ms per move
    long long movesToGo;  // 0 when not given
};

// Milliseconds to spend: a share of the clock plus most of the increment,
// never more than four fifths of what is left after the pipe's overhead.
int uciTimeBudget(const UciClock& clock);
// Handles one UCI line; false on "quit".
bool handleUciLine(char* line);
void uciDriver();

}  // namespace frontend
