// Rank 8 on top, White at the bottom, whoever is to move.
#include "frontend/display.h"

#include <cstring>

#include "board/position.h"
#include "frontend/output.h"

namespace frontend {

namespace {
constexpr const char* CELL_TEXT[PIECE_CODE_COUNT] = {" p", " k", " q", " b", " n", " r", " .",
                                                     " R", " N", " B", " Q", " K", " P"};
}  // namespace

void boardText(char* text) {
    text[0] = '\0';
    for (int row = LAST_ROW; row >= FIRST_ROW; --row) {
        for (int col = FIRST_COL; col <= LAST_COL; ++col) {
            const PieceCode code = board::Board[row][col];
            if (code >= 0 && code < PIECE_CODE_COUNT) std::strcat(text, CELL_TEXT[code]);
        }
        std::strcat(text, "\n");
    }
}

void showBoard() {
    char text[BOARD_TEXT_SIZE];
    boardText(text);
    printBoardText(text);
}

}  // namespace frontend
