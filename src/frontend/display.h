// The board picture of the console command "board".
#pragma once

namespace frontend {

// 8 lines of 8 two-character cells plus their line ends, and the terminator.
constexpr int BOARD_TEXT_SIZE = 144;

void boardText(char* text);
void showBoard();

}  // namespace frontend
