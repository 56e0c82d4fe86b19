// Owns the position globals and the set-up of a new game.
#include "board/position.h"

#include "board/keys.h"

namespace board {

PieceCode Board[BOARD_SIZE][BOARD_SIZE];
Color sideToMove = WHITE;
int whiteCastling = 0;
int blackCastling = 0;
int whiteEpFile = NO_EP_FILE;
int blackEpFile = NO_EP_FILE;
int nonPawnPieceCount = 0;
int halfMoveClock = 0;
HashKey currentKey = 0;
HashKey GameHistory[GAME_HISTORY_SIZE];
int gamePly = 0;

namespace {
// clang-format off
constexpr PieceCode WHITE_BACK_ROW[BOARD_SIZE] = {
    WHITE_ROOK, WHITE_KNIGHT, WHITE_BISHOP, WHITE_QUEEN, WHITE_KING, WHITE_BISHOP, WHITE_KNIGHT, WHITE_ROOK};
constexpr PieceCode BLACK_BACK_ROW[BOARD_SIZE] = {
    BLACK_ROOK, BLACK_KNIGHT, BLACK_BISHOP, BLACK_QUEEN, BLACK_KING, BLACK_BISHOP, BLACK_KNIGHT, BLACK_ROOK};
// clang-format on
}  // namespace

HashKey setupInitialPosition() {
    for (int col = 0; col < BOARD_SIZE; ++col) {
        Board[0][col] = WHITE_BACK_ROW[col];
        Board[1][col] = WHITE_PAWN;
        Board[7][col] = BLACK_BACK_ROW[col];
        Board[6][col] = BLACK_PAWN;
        for (int row = 2; row <= 5; ++row) Board[row][col] = EMPTY;
    }
    whiteCastling = START_CASTLING;
    blackCastling = START_CASTLING;
    blackEpFile = NO_EP_FILE;
    whiteEpFile = NO_EP_FILE;
    nonPawnPieceCount = START_NON_PAWN_PIECES;
    sideToMove = WHITE;
    currentKey = computeKey();
    GameHistory[0] = currentKey;
    return currentKey;
}

bool positionIsConsistent() {
    for (auto& row : Board)
        for (PieceCode code : row)
            if (code < 0 || code >= PIECE_CODE_COUNT) return false;
    if (sideToMove != WHITE && sideToMove != BLACK) return false;
    if (whiteCastling < 0 || blackCastling < 0) return false;
    if (whiteEpFile < 0 || whiteEpFile > NO_EP_FILE) return false;
    if (blackEpFile < 0 || blackEpFile > NO_EP_FILE) return false;
    if (gamePly < 0 || gamePly >= GAME_HISTORY_SIZE) return false;
    return currentKey == computeKey() && GameHistory[gamePly] == currentKey;
}

}  // namespace board
