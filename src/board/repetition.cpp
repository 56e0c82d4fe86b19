// Scans back no further than the last capture or pawn move, never below entry 0.
// The game's moves are kept beside the keys, one entry per ply.
#include "board/repetition.h"

#include "board/makemove.h"
#include "board/position.h"
#include "movegen/movelist.h"

namespace board {

GameMove GameMoves[GAME_HISTORY_SIZE];
int firstMoveNumber = 1;

namespace {
constexpr int ROOT_REPEATS_FOR_DRAW = 2;
constexpr int TREE_REPEATS_FOR_DRAW = 1;

Color moverOf(const Move& move) { return isWhitePiece(move.piece) ? WHITE : BLACK; }
}  // namespace

bool isRepetition() {
    int count = 0;
    int lowest = gamePly - halfMoveClock;
    if (lowest < 0) lowest = 0;
    for (int index = gamePly - 1; index >= lowest; --index)
        if (GameHistory[index] == currentKey) ++count;
    return count >= (movegen::searchPly == 0 ? ROOT_REPEATS_FOR_DRAW : TREE_REPEATS_FOR_DRAW);
}

void startGameRecord(int halfMoves, int moveNumber) {
    gamePly = 0;
    halfMoveClock = halfMoves;
    firstMoveNumber = moveNumber;
    GameHistory[0] = currentKey;
}

void makeGameMove(Move& move) {
    const int clockBefore = halfMoveClock;
    makeMove(move);
    GameMoves[gamePly - 1] = {move, clockBefore};
    const bool pawnMove = move.piece == WHITE_PAWN || move.piece == BLACK_PAWN;
    if (move.captured == EMPTY && !pawnMove)
        ++halfMoveClock;
    else
        halfMoveClock = 0;
}

bool takeBackGameMove() {
    if (gamePly <= 0) return false;
    const GameMove& last = GameMoves[gamePly - 1];
    // The protocol's "white" and "black" may have changed the side since the move;
    // unmakeMove hands the turn back to the mover, so it must start from the other side.
    sideToMove = opponentOf(moverOf(last.move));
    unmakeMove(last.move);
    // The entry holds the key as it stood before the move, side changes included.
    currentKey = GameHistory[gamePly];
    halfMoveClock = last.halfMoveClock;
    return true;
}

int currentMoveNumber() {
    int blackMoves = 0;
    for (int ply = 0; ply < gamePly; ++ply)
        if (moverOf(GameMoves[ply].move) == BLACK) ++blackMoves;
    return firstMoveNumber + blackMoves;
}

}  // namespace board
