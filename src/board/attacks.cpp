// Attack tests that start from the king's square: rays in a fixed order, then knights.
#include "board/attacks.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "board/position.h"

namespace board {

namespace {

// clang-format off
constexpr int KNIGHT_JUMPS[8][2] = {
    {+1, +2}, {-1, +2}, {-2, +1}, {-2, -1}, {-1, -2}, {+1, -2}, {+2, -1}, {+2, +1}};
// clang-format on

template <bool WhiteKing>
struct Attackers {
    static constexpr PieceCode KING = WhiteKing ? BLACK_KING : WHITE_KING;
    static constexpr PieceCode QUEEN = WhiteKing ? BLACK_QUEEN : WHITE_QUEEN;
    static constexpr PieceCode ROOK = WhiteKing ? BLACK_ROOK : WHITE_ROOK;
    static constexpr PieceCode BISHOP = WhiteKing ? BLACK_BISHOP : WHITE_BISHOP;
    static constexpr PieceCode KNIGHT = WhiteKing ? BLACK_KNIGHT : WHITE_KNIGHT;
    static constexpr PieceCode PAWN = WhiteKing ? BLACK_PAWN : WHITE_PAWN;
};

// The first square in row order holding the code, as an index; 64 when none.
// Compares four squares at a time where the processor allows it.
inline int firstSquareOf(PieceCode code) {
    const PieceCode* squares = &Board[0][0];
#if defined(__SSE2__)
    const __m128i wanted = _mm_set1_epi32(code);
    for (int square = 0; square < BOARD_SIZE * BOARD_SIZE; square += 8) {
        const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(squares + square));
        const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(squares + square + 4));
        const int lowMask = _mm_movemask_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(low, wanted)));
        const int highMask = _mm_movemask_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(high, wanted)));
        const int rowMask = lowMask | (highMask << 4);
        if (rowMask != 0) return square + __builtin_ctz(static_cast<unsigned>(rowMask));
    }
#else
    for (int square = 0; square < BOARD_SIZE * BOARD_SIZE; ++square)
        if (squares[square] == code) return square;
#endif
    return BOARD_SIZE * BOARD_SIZE;
}

// One ray from the king: a slider at any distance, the king (and a pawn where
// it can strike from) only on the first step.
template <bool WhiteKing, int RowStep, int ColStep, bool PawnStrikes>
inline bool rayAttacked(int kingRow, int kingCol) {
    using A = Attackers<WhiteKing>;
    constexpr PieceCode SLIDER = (RowStep == 0 || ColStep == 0) ? A::ROOK : A::BISHOP;
    int row = kingRow + RowStep;
    int col = kingCol + ColStep;
    if (!onBoard(row, col)) return false;
    PieceCode code = Board[row][col];
    if (code != EMPTY)
        return code == A::QUEEN || code == SLIDER || code == A::KING || (PawnStrikes && code == A::PAWN);
    for (row += RowStep, col += ColStep; onBoard(row, col); row += RowStep, col += ColStep) {
        code = Board[row][col];
        if (code != EMPTY) return code == A::QUEEN || code == SLIDER;
    }
    return false;
}

template <bool WhiteKing>
bool kingAttacked() {
    using A = Attackers<WhiteKing>;
    const int square = firstSquareOf(WhiteKing ? WHITE_KING : BLACK_KING);
    if (square == BOARD_SIZE * BOARD_SIZE) return false;
    const int kingRow = square / BOARD_SIZE;
    const int kingCol = square % BOARD_SIZE;
    // Black pawns strike a white king from the row above, white pawns a black king from below.
    return rayAttacked<WhiteKing, +1, 0, false>(kingRow, kingCol) ||
           rayAttacked<WhiteKing, +1, +1, WhiteKing>(kingRow, kingCol) ||
           rayAttacked<WhiteKing, 0, +1, false>(kingRow, kingCol) ||
           rayAttacked<WhiteKing, -1, +1, !WhiteKing>(kingRow, kingCol) ||
           rayAttacked<WhiteKing, -1, 0, false>(kingRow, kingCol) ||
           rayAttacked<WhiteKing, -1, -1, !WhiteKing>(kingRow, kingCol) ||
           rayAttacked<WhiteKing, 0, -1, false>(kingRow, kingCol) ||
           rayAttacked<WhiteKing, +1, -1, WhiteKing>(kingRow, kingCol) ||
           knightAttacks(kingRow, kingCol, A::KNIGHT);
}

}  // namespace

bool knightAttacks(int row, int col, PieceCode knight) {
    for (const auto& jump : KNIGHT_JUMPS) {
        const int targetRow = row + jump[0];
        const int targetCol = col + jump[1];
        if (onBoard(targetRow, targetCol) && Board[targetRow][targetCol] == knight) return true;
    }
    return false;
}

bool whiteKingAttacked() { return kingAttacked<true>(); }

bool blackKingAttacked() { return kingAttacked<false>(); }

bool isKingAttacked(Color attacker) { return attacker ? blackKingAttacked() : whiteKingAttacked(); }

bool isLegalAfterMake(const Move& move) {
    if (isKingAttacked(sideToMove)) return false;
    if (!move.castling) return true;

    PieceCode saved[BOARD_SIZE][BOARD_SIZE];
    std::memcpy(saved, Board, sizeof Board);
    const bool white = move.toRow == FIRST_ROW;
    const int row = white ? FIRST_ROW : LAST_ROW;
    const PieceCode king = white ? WHITE_KING : BLACK_KING;
    const bool kingside = move.toCol == KINGSIDE_KING_COL;
    const int destinationCol = kingside ? KINGSIDE_KING_COL : QUEENSIDE_KING_COL;
    const int passedCol = kingside ? KINGSIDE_ROOK_TO_COL : QUEENSIDE_ROOK_TO_COL;

    // The king may not castle out of check nor across an attacked square.
    Board[row][KING_START_COL] = king;
    Board[row][destinationCol] = EMPTY;
    bool attacked = isKingAttacked(sideToMove);
    if (!attacked) {
        Board[row][KING_START_COL] = EMPTY;
        Board[row][passedCol] = king;
        attacked = isKingAttacked(sideToMove);
    }
    std::memcpy(Board, saved, sizeof Board);
    return !attacked;
}

}  // namespace board
