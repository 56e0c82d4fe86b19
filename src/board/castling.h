// Castling from any start: where each side's castling rooks begin, as Chess960 and Double
// Fischer Random need, and the squares a castling move's king and rook leave and reach.
// Standard chess keeps its own castling (the king's two-square move, the corner rook implied).
#pragma once

#include "types.h"

namespace board {

// The index of a right in castlingRookCol: bit CASTLE_KINGSIDE is side 0, CASTLE_QUEENSIDE side 1.
constexpr int KINGSIDE = 0;
constexpr int QUEENSIDE = 1;
constexpr int CASTLING_SIDES = 2;
constexpr int CASTLING_RIGHT_BITS[CASTLING_SIDES] = {CASTLE_KINGSIDE, CASTLE_QUEENSIDE};
constexpr int STANDARD_ROOK_COLS[CASTLING_SIDES] = {KINGSIDE_ROOK_COL, QUEENSIDE_ROOK_COL};
// Wherever king and rook start, castling puts them here.
constexpr int CASTLED_KING_COLS[CASTLING_SIDES] = {KINGSIDE_KING_COL, QUEENSIDE_KING_COL};
constexpr int CASTLED_ROOK_COLS[CASTLING_SIDES] = {KINGSIDE_ROOK_TO_COL, QUEENSIDE_ROOK_TO_COL};

// The file each right's rook starts on, by colour and side: the corners in standard chess.
extern thread_local constinit int castlingRookCol[2][CASTLING_SIDES];
// Set when a right held at set-up belongs to a king off the e-file or a rook off its corner.
// Castling is then stored as the king taking its own rook (a king that moves one square, or
// none, would otherwise share its squares with a plain king move), and rights follow the
// rules exactly: a right goes when the king moves, or when its rook leaves or is taken on its
// square. Standard positions never set it, so standard chess is played as it always was.
extern thread_local constinit bool chess960Castling;

// Installs a position's castling rooks and their kind; rebuilds this thread's castling keys.
void setCastlingRooks(const int (&rookCols)[2][CASTLING_SIDES], bool chess960);
void setStandardCastlingRooks();

// A move's castlingLoss: the low bits come off the mover's word (a king move takes all of it,
// up to CASTLED_WORD_MASK after repeated typed castlings); with Chess960 castling, a capture of
// the opponent's castling rook on its square also carries that right, shifted up, to come off
// the opponent's word.
constexpr int CASTLED_WORD_MASK = 0xFFF;
constexpr int OPPONENT_LOSS_SHIFT = 12;

// The squares of a castling move in either form: the king's two-square move (standard) or the
// king taking its own rook (Chess960).
struct CastlingSquares {
    int side;  // KINGSIDE or QUEENSIDE
    int row;
    int kingFrom;
    int kingTo;
    int rookFrom;
    int rookTo;
};
CastlingSquares castlingSquaresOf(const Move& move);

// The side of a right bit.
constexpr int castlingSideOf(int rightBit) { return rightBit == CASTLE_KINGSIDE ? KINGSIDE : QUEENSIDE; }

}  // namespace board
