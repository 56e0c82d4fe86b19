// Castling rooks of the position, and the castling squares of a move.
#include "board/castling.h"

#include "board/keys.h"

namespace board {

thread_local constinit int castlingRookCol[2][CASTLING_SIDES] = {{KINGSIDE_ROOK_COL, QUEENSIDE_ROOK_COL},
                                                                 {KINGSIDE_ROOK_COL, QUEENSIDE_ROOK_COL}};
thread_local constinit bool chess960Castling = false;

void setCastlingRooks(const int (&rookCols)[2][CASTLING_SIDES], bool chess960) {
    for (int color = 0; color < 2; ++color)
        for (int side = 0; side < CASTLING_SIDES; ++side) castlingRookCol[color][side] = rookCols[color][side];
    chess960Castling = chess960;
    rebuildCastlingKeys();
}

void setStandardCastlingRooks() {
    constexpr int STANDARD[2][CASTLING_SIDES] = {{KINGSIDE_ROOK_COL, QUEENSIDE_ROOK_COL},
                                                 {KINGSIDE_ROOK_COL, QUEENSIDE_ROOK_COL}};
    setCastlingRooks(STANDARD, false);
}

CastlingSquares castlingSquaresOf(const Move& move) {
    // In both forms the move's target lies on the side it castles to.
    const int side = move.toCol > move.fromCol ? KINGSIDE : QUEENSIDE;
    const Color color = move.piece == WHITE_KING ? WHITE : BLACK;
    const int rookFrom = chess960Castling ? move.toCol : castlingRookCol[color][side];
    return {side, move.fromRow, move.fromCol, CASTLED_KING_COLS[side], rookFrom, CASTLED_ROOK_COLS[side]};
}

}  // namespace board
