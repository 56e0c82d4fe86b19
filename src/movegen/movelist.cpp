// The per-ply lists, and the castling rights a move costs.
#include "movegen/movelist.h"

#include "board/castling.h"
#include "board/position.h"

namespace movegen {

thread_local constinit Move MoveList[MAX_PLY][MAX_MOVES] = {};
thread_local constinit int moveCount[MAX_PLY];
thread_local constinit int searchPly = 0;

int castlingLossFor(PieceCode piece, int fromCol, int castlingWord) {
    // A king move takes the whole word, also the 4, 8 or 12 left after castling.
    if (piece == WHITE_KING || piece == BLACK_KING) return castlingWord;
    if ((castlingWord & CASTLE_KINGSIDE) && fromCol == KINGSIDE_ROOK_COL) return CASTLE_KINGSIDE;
    if ((castlingWord & CASTLE_QUEENSIDE) && fromCol == QUEENSIDE_ROOK_COL) return CASTLE_QUEENSIDE;
    return 0;
}

int chess960CastlingLoss(const Move& move) {
    if (move.castling) return 0;
    const Color mover = isWhitePiece(move.piece) ? WHITE : BLACK;
    const Color opponent = board::opponentOf(mover);
    const int ownWord = mover == WHITE ? board::whiteCastling : board::blackCastling;
    const int opponentWord = opponent == WHITE ? board::whiteCastling : board::blackCastling;
    const int ownBackRow = mover == WHITE ? FIRST_ROW : LAST_ROW;
    const int opponentBackRow = opponent == WHITE ? FIRST_ROW : LAST_ROW;
    const bool rook = move.piece == WHITE_ROOK || move.piece == BLACK_ROOK;
    int loss = 0;
    if (move.piece == WHITE_KING || move.piece == BLACK_KING) loss = ownWord;
    for (int side = 0; side < board::CASTLING_SIDES; ++side) {
        const int right = board::CASTLING_RIGHT_BITS[side];
        if (rook && (ownWord & right) && move.fromRow == ownBackRow &&
            move.fromCol == board::castlingRookCol[mover][side])
            loss |= right;
        if (move.captured != EMPTY && (opponentWord & right) && move.toRow == opponentBackRow &&
            move.toCol == board::castlingRookCol[opponent][side])
            loss |= right << board::OPPONENT_LOSS_SHIFT;
    }
    return loss;
}

}  // namespace movegen
