// One line per completed iteration, in the form of the current mode.
#pragma once

#include "search/report.h"

namespace frontend {

// One line of a search's report, in the form of the current mode.
void printLine(const search::LineReport& line);
// UCI's "info currmove": the root move the search starts on, numbered from 1.
void printRootMove(const Move& move, int number);
// Row 0 of the line table as the best line.
void printThinking(int depth, int score);
// Mate in moves for the side to move (negative when it is mated), from the iteration depth.
int uciMateMoves(int depth, int score);

}  // namespace frontend
