// One line per completed iteration, in the form of the current mode.
#pragma once

namespace frontend {

void printThinking(int depth, int score);
// Mate in moves for the side to move (negative when it is mated), from the iteration depth.
int uciMateMoves(int depth, int score);

}  // namespace frontend
