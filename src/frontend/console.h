// Start-up, the reset of a game, and the console command loop.
#pragma once

#include <cstdint>

#include "search/think.h"
#include "search/timecontrol.h"

namespace frontend {

// The depth limit and the fallen flag are set here but read by the search, which owns them.
using search::DEFAULT_MAX_DEPTH;
using search::maxDepth;
using search::outOfTime;
constexpr const char* MOVE_TIME_ERROR = "st needs a number of seconds, or off";

extern bool xboardMode;
extern bool uciMode;
extern bool enginePlays;

// Seeds the generator, builds the keys and starts the first game.
void startUp(std::uint32_t seed);
void newGame();
// "st": the seconds a think may use (a decimal), or "off" or 0 for no limit;
// false, with the setting unchanged, when the text is no such number.
bool readMoveTime(const char* argument);
// "strength N" (an Elo) or "strength off", from the next think on; a message and no change otherwise.
void setStrengthCommand(const char* argument, const char* line);
// "threads N" (the console) and "cores N" (xboard): the search threads from the next search on.
void setThreadsCommand(const char* command, const char* argument, const char* line);
// Takes back that many game moves with the book's text; false, with nothing changed, when fewer were played.
bool takeBackMoves(int moves);
// "undo" (one move) and "remove" (two): the take-back, or a message when there is not enough to take back.
void takeBack(int moves, const char* line);
// Handles one console line; false when the program is to end.
bool handleConsoleLine(char* line);
void consoleLoop();

}  // namespace frontend
