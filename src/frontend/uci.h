// The UCI driver: the console command "uci" hands the rest of the run to it.
#pragma once

namespace frontend {

// Kept back from "go movetime"; the clock's margin is the Move Overhead option.
constexpr int UCI_MOVE_OVERHEAD_MS = 30;

struct UciClock {
    long long time;       // the engine's clock, ms; may be zero or negative
    long long increment;  // ms per move
    long long movesToGo;  // 0 when not given
    bool given = false;   // "wtime"/"btime" came for this side
};
// Handles one UCI line; false on "quit".
bool handleUciLine(char* line);
void uciDriver();

}  // namespace frontend
