// Builds move records in place in the current ply's list.
#include "movegen/movelist.h"

#include "board/castling.h"
#include "board/position.h"
#include "eval/evaluate.h"

namespace movegen {

thread_local constinit Move MoveList[MAX_PLY][MAX_MOVES] = {};
thread_local constinit int moveCount[MAX_PLY];
thread_local constinit int searchPly = 0;

namespace {
// A full list takes no more moves; the modifiers of a dropped move land here.
thread_local constinit Move overflowSlot = {};
// Set by every addMove before a modifier can use it.
thread_local constinit Move* lastAdded = nullptr;
}  // namespace

void addMove(PieceCode piece, int fromRow, int fromCol, int toRow, int toCol) {
    int& count = moveCount[searchPly];
    lastAdded = count < MAX_MOVES ? &MoveList[searchPly][count++] : &overflowSlot;
    Move& move = *lastAdded;
    const PieceCode captured = board::Board[toRow][toCol];
    move.piece = static_cast<std::int8_t>(piece);
    move.fromRow = static_cast<std::int8_t>(fromRow);
    move.fromCol = static_cast<std::int8_t>(fromCol);
    move.toRow = static_cast<std::int8_t>(toRow);
    move.toCol = static_cast<std::int8_t>(toCol);
    move.promotion = EMPTY;
    move.captured = captured;
    move.enPassant = 0;
    move.castling = 0;
    move.castlingLoss = 0;
    if (captured == EMPTY) {
        move.score = 0;
    } else {
        // Victim and attacker have opposite signs, so this is victim minus attacker for the mover.
        const int sign = board::sideToMove == WHITE ? -1 : +1;
        // Board codes are always valid piece codes, so the table is read directly.
        move.score = CAPTURE_BASE + sign * (eval::PIECE_SQUARE_VALUES[captured][toRow][toCol] +
                                            eval::PIECE_SQUARE_VALUES[piece][fromRow][fromCol]);
    }
}

void setPromotion(PieceCode promotion) {
    Move& move = *lastAdded;
    move.promotion = promotion;
    if (board::sideToMove == WHITE)
        move.score += eval::pieceSquareValue(promotion, LAST_ROW, move.fromCol);
    else
        move.score -= eval::pieceSquareValue(promotion, FIRST_ROW, move.fromCol);
}

void markEnPassant() { lastAdded->enPassant = 1; }

void markCastling() { lastAdded->castling = 1; }

void markCastlingByRook() {
    Move& move = *lastAdded;
    move.castling = 1;
    move.captured = EMPTY;
    move.score = 0;
}

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

void recordCastlingLoss(PieceCode piece, int fromCol, const int& castlingWord) {
    lastAdded->castlingLoss = static_cast<std::int16_t>(castlingLossFor(piece, fromCol, castlingWord));
}

}  // namespace movegen
