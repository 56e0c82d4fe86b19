// Attack tests that start from the king's square: rays in a fixed order, then knights.
#include "board/attacks.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "board/castling.h"
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

// The first square in row order holding the code, as an index; NO_KING_SQUARE when none.
// Compares four squares at a time where the processor allows it.
int firstSquareOf(PieceCode code) {
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
    return NO_KING_SQUARE;
}

constexpr int SQUARE_COUNT = BOARD_SIZE * BOARD_SIZE;
constexpr int DIRECTION_COUNT = 8;
constexpr int LONGEST_RAY = BOARD_SIZE - 1;

// The eight directions from the king, in the order the rays are tried.
// clang-format off
constexpr int DIRECTIONS[DIRECTION_COUNT][2] = {
    {+1, 0}, {+1, +1}, {0, +1}, {-1, +1}, {-1, 0}, {-1, -1}, {0, -1}, {+1, -1}};
// clang-format on

constexpr bool isStraight(int direction) { return DIRECTIONS[direction][0] == 0 || DIRECTIONS[direction][1] == 0; }

// The squares a step list reaches from one square, nearest first, as flat indices.
struct SquareList {
    int count = 0;
    int squares[DIRECTION_COUNT] = {};
};

struct RayTable {
    SquareList ray[SQUARE_COUNT][DIRECTION_COUNT];
    SquareList knight[SQUARE_COUNT];
};

// Precomputed so the attack test walks indices without bounds checks.
constexpr RayTable buildRayTable() {
    RayTable table{};
    for (int square = 0; square < SQUARE_COUNT; ++square) {
        const int row = square / BOARD_SIZE;
        const int col = square % BOARD_SIZE;
        for (int direction = 0; direction < DIRECTION_COUNT; ++direction) {
            SquareList& ray = table.ray[square][direction];
            for (int step = 1; step <= LONGEST_RAY; ++step) {
                const int toRow = row + step * DIRECTIONS[direction][0];
                const int toCol = col + step * DIRECTIONS[direction][1];
                if (!onBoard(toRow, toCol)) break;
                ray.squares[ray.count++] = toRow * BOARD_SIZE + toCol;
            }
        }
        SquareList& jumps = table.knight[square];
        for (const auto& jump : KNIGHT_JUMPS)
            if (onBoard(row + jump[0], col + jump[1]))
                jumps.squares[jumps.count++] = (row + jump[0]) * BOARD_SIZE + col + jump[1];
    }
    return table;
}

constexpr RayTable RAYS = buildRayTable();

// The first piece on a ray from its step-th square on; EMPTY when the ray runs out.
inline PieceCode firstPieceOn(const PieceCode* squares, const SquareList& ray, int step) {
    for (; step < ray.count; ++step)
        if (squares[ray.squares[step]] != EMPTY) return squares[ray.squares[step]];
    return EMPTY;
}

// One ray from the king: a slider at any distance, the king (and a pawn where
// it can strike from) only on the first step.
template <bool WhiteKing, int Direction, bool PawnStrikes>
inline bool rayAttacked(const PieceCode* squares, int kingSquare) {
    using A = Attackers<WhiteKing>;
    constexpr bool straight = isStraight(Direction);
    constexpr PieceCode SLIDER = straight ? A::ROOK : A::BISHOP;
    const SquareList& ray = RAYS.ray[kingSquare][Direction];
    if (ray.count == 0) return false;
    const PieceCode nearest = squares[ray.squares[0]];
    if (nearest != EMPTY)
        return nearest == A::QUEEN || nearest == SLIDER || nearest == A::KING || (PawnStrikes && nearest == A::PAWN);
    const PieceCode code = firstPieceOn(squares, ray, 1);
    return code == A::QUEEN || code == SLIDER;
}

inline bool knightOn(const PieceCode* squares, int square, PieceCode knight) {
    const SquareList& jumps = RAYS.knight[square];
    for (int index = 0; index < jumps.count; ++index)
        if (squares[jumps.squares[index]] == knight) return true;
    return false;
}

// For each pair of squares on one line, the direction from the first to the
// second; NO_DIRECTION when they share no row, column or diagonal.
constexpr int NO_DIRECTION = -1;

struct DirectionTable {
    std::int8_t between[SQUARE_COUNT][SQUARE_COUNT];
};

constexpr DirectionTable buildDirectionTable() {
    DirectionTable table{};
    for (auto& row : table.between)
        for (auto& direction : row) direction = NO_DIRECTION;
    for (int square = 0; square < SQUARE_COUNT; ++square)
        for (int direction = 0; direction < DIRECTION_COUNT; ++direction) {
            const SquareList& ray = RAYS.ray[square][direction];
            for (int step = 0; step < ray.count; ++step)
                table.between[square][ray.squares[step]] = static_cast<std::int8_t>(direction);
        }
    return table;
}

constexpr DirectionTable DIRECTIONS_BETWEEN = buildDirectionTable();

// Does a slider of the attacking side stand first on the ray from the king?
template <bool WhiteKing>
bool sliderOnRay(const PieceCode* squares, int kingSquare, int direction) {
    using A = Attackers<WhiteKing>;
    const PieceCode code = firstPieceOn(squares, RAYS.ray[kingSquare][direction], 0);
    return code == A::QUEEN || code == (isStraight(direction) ? A::ROOK : A::BISHOP);
}

// Would a king of the colour standing on the square be attacked there?
template <bool WhiteKing>
inline bool squareAttacked(const PieceCode* squares, int square) {
    using A = Attackers<WhiteKing>;
    // Black pawns strike a white king from the row above, white pawns a black king from below.
    return rayAttacked<WhiteKing, 0, false>(squares, square) ||
           rayAttacked<WhiteKing, 1, WhiteKing>(squares, square) ||
           rayAttacked<WhiteKing, 2, false>(squares, square) ||
           rayAttacked<WhiteKing, 3, !WhiteKing>(squares, square) ||
           rayAttacked<WhiteKing, 4, false>(squares, square) ||
           rayAttacked<WhiteKing, 5, !WhiteKing>(squares, square) ||
           rayAttacked<WhiteKing, 6, false>(squares, square) ||
           rayAttacked<WhiteKing, 7, WhiteKing>(squares, square) ||
           knightOn(squares, square, A::KNIGHT);
}

// Each ray's squares as a bit set, so a ray with no enemy slider on it is passed over unwalked;
// and the squares from which a knight, a king or a pawn of either colour strikes a square.
struct RayMasks {
    std::uint64_t ray[SQUARE_COUNT][DIRECTION_COUNT];
    std::uint64_t straightLines[SQUARE_COUNT];
    std::uint64_t diagonalLines[SQUARE_COUNT];
    std::uint64_t knightJumps[SQUARE_COUNT];
    std::uint64_t kingSteps[SQUARE_COUNT];
    std::uint64_t pawnStrikes[2][SQUARE_COUNT];  // [colour of the king struck]
};

// Along these directions the square index rises, so the nearest piece is the lowest bit.
constexpr bool risesAlong(int direction) { return DIRECTIONS[direction][0] * BOARD_SIZE + DIRECTIONS[direction][1] > 0; }

constexpr RayMasks buildRayMasks() {
    RayMasks masks{};
    for (int square = 0; square < SQUARE_COUNT; ++square) {
        for (int direction = 0; direction < DIRECTION_COUNT; ++direction) {
            const SquareList& ray = RAYS.ray[square][direction];
            for (int step = 0; step < ray.count; ++step) masks.ray[square][direction] |= std::uint64_t{1} << ray.squares[step];
            (isStraight(direction) ? masks.straightLines : masks.diagonalLines)[square] |= masks.ray[square][direction];
            if (ray.count == 0) continue;
            const std::uint64_t nearest = std::uint64_t{1} << ray.squares[0];
            masks.kingSteps[square] |= nearest;
            // Black pawns strike a white king from the row above, white pawns a black king from below.
            if (!isStraight(direction)) masks.pawnStrikes[DIRECTIONS[direction][0] > 0 ? WHITE : BLACK][square] |= nearest;
        }
        const SquareList& jumps = RAYS.knight[square];
        for (int index = 0; index < jumps.count; ++index) masks.knightJumps[square] |= std::uint64_t{1} << jumps.squares[index];
    }
    return masks;
}

constexpr RayMasks RAY_MASKS = buildRayMasks();

// The same question as squareAttacked, asked of the piece bits: a handful of masks instead of
// walking every ray. Only valid while the bits agree with the board, as makeMove keeps them.
template <bool WhiteKing>
inline bool squareAttackedByBits(int square) {
    using A = Attackers<WhiteKing>;
    if ((RAY_MASKS.knightJumps[square] & pieceBits[A::KNIGHT]) != 0 ||
        (RAY_MASKS.kingSteps[square] & pieceBits[A::KING]) != 0 ||
        (RAY_MASKS.pawnStrikes[WhiteKing ? WHITE : BLACK][square] & pieceBits[A::PAWN]) != 0)
        return true;
    const std::uint64_t straightSliders = pieceBits[A::QUEEN] | pieceBits[A::ROOK];
    const std::uint64_t diagonalSliders = pieceBits[A::QUEEN] | pieceBits[A::BISHOP];
    if ((RAY_MASKS.straightLines[square] & straightSliders) == 0 &&
        (RAY_MASKS.diagonalLines[square] & diagonalSliders) == 0)
        return false;
    const std::uint64_t occupied = occupiedSquares();
    for (int direction = 0; direction < DIRECTION_COUNT; ++direction) {
        const std::uint64_t sliders = isStraight(direction) ? straightSliders : diagonalSliders;
        const std::uint64_t ray = RAY_MASKS.ray[square][direction];
        if ((ray & sliders) == 0) continue;
        const std::uint64_t blockers = ray & occupied;
        const std::uint64_t nearest = risesAlong(direction) ? blockers & (~blockers + 1)
                                                            : std::uint64_t{1} << (63 - __builtin_clzll(blockers));
        if ((nearest & sliders) != 0) return true;
    }
    return false;
}

template <bool WhiteKing>
bool kingAttacked() {
    constexpr PieceCode OWN_KING = WhiteKing ? WHITE_KING : BLACK_KING;
    const PieceCode* squares = &Board[0][0];
    int square = kingSquare[WhiteKing ? WHITE : BLACK];
    const bool trusted = kingsAreUnique && (square == NO_KING_SQUARE || squares[square] == OWN_KING);
    if (trusted && square != NO_KING_SQUARE) {
        // The king's square is known only on a board that makeMove keeps, bits and all; a board
        // changed by hand (the castling test below) never passes the check above.
        const bool attacked = squareAttackedByBits<WhiteKing>(square);
#ifdef MORVELLINE_CHECKS
        if (attacked != squareAttacked<WhiteKing>(squares, square)) std::abort();
#endif
        return attacked;
    }
    if (!trusted) square = firstSquareOf(OWN_KING);
    if (square == NO_KING_SQUARE) return false;
    return squareAttacked<WhiteKing>(squares, square);
}

// The own pieces that alone stand between the king and an enemy slider of that line.
template <bool WhiteKing>
std::uint64_t pinnedTo(const PieceCode* squares, int king) {
    using A = Attackers<WhiteKing>;
    const std::uint64_t straightSliders = pieceBits[A::QUEEN] | pieceBits[A::ROOK];
    const std::uint64_t diagonalSliders = pieceBits[A::QUEEN] | pieceBits[A::BISHOP];
    std::uint64_t pinned = 0;
    for (int direction = 0; direction < DIRECTION_COUNT; ++direction) {
        const bool straightRay = isStraight(direction);
        if ((RAY_MASKS.ray[king][direction] & (straightRay ? straightSliders : diagonalSliders)) == 0) continue;
        const SquareList& ray = RAYS.ray[king][direction];
        int step = 0;
        while (step < ray.count && squares[ray.squares[step]] == EMPTY) ++step;
        if (step == ray.count) continue;
        const int blocker = ray.squares[step];
        if (WhiteKing ? !isWhitePiece(squares[blocker]) : !isBlackPiece(squares[blocker])) continue;
        const PieceCode behind = firstPieceOn(squares, ray, step + 1);
        if (behind == A::QUEEN || behind == (straightRay ? A::ROOK : A::BISHOP))
            pinned |= std::uint64_t{1} << blocker;
    }
    return pinned;
}

}  // namespace

bool knightAttacks(int row, int col, PieceCode knight) {
    return onBoard(row, col) && knightOn(&Board[0][0], row * BOARD_SIZE + col, knight);
}

bool whiteKingAttacked() { return kingAttacked<true>(); }

bool blackKingAttacked() { return kingAttacked<false>(); }

bool isKingAttacked(Color attacker) { return attacker ? blackKingAttacked() : whiteKingAttacked(); }

namespace {
// Chess960 castling: the king's square, every square it crosses and its destination must be
// unattacked as the board stood before the move, also where the king does not move (the
// castled rook may now shield it); after the move it must not stand in check either, tested
// above. A copy is put back to that board without the king: a line through the king's own
// square to a crossed square would have checked the king already, so lifting it changes no answer.
bool castledByRookThroughSafeSquares(const Move& move) {
    const CastlingSquares castle = castlingSquaresOf(move);
    const bool white = move.piece == WHITE_KING;
    PieceCode before[BOARD_SIZE][BOARD_SIZE];
    std::memcpy(before, Board, sizeof Board);
    PieceCode* backRow = before[castle.row];
    backRow[castle.kingTo] = EMPTY;
    backRow[castle.rookTo] = EMPTY;
    backRow[castle.rookFrom] = white ? WHITE_ROOK : BLACK_ROOK;
    const int step = castle.kingTo >= castle.kingFrom ? 1 : -1;
    for (int col = castle.kingFrom; col != castle.kingTo + step; col += step) {
        const int square = castle.row * BOARD_SIZE + col;
        if (white ? squareAttacked<true>(&before[0][0], square) : squareAttacked<false>(&before[0][0], square))
            return false;
    }
    return true;
}
}  // namespace

bool isLegalAfterMake(const Move& move) {
    if (isKingAttacked(sideToMove)) return false;
    if (!move.castling) return true;
    if (chess960Castling) return castledByRookThroughSafeSquares(move);

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

bool isLegalAfterMake(const Move& move, bool moverWasInCheck) {
    const Color mover = opponentOf(sideToMove);
    const int king = kingSquare[mover];
    const bool kingKnown = kingsAreUnique && king != NO_KING_SQUARE &&
                           (&Board[0][0])[king] == (mover == WHITE ? WHITE_KING : BLACK_KING);
    if (moverWasInCheck || !kingKnown || move.piece == WHITE_KING || move.piece == BLACK_KING ||
        move.enPassant || move.castling)
        return isLegalAfterMake(move);
    // Out of check, a move by another piece can only open a line to the king through its from-square.
    const int direction = DIRECTIONS_BETWEEN.between[king][move.fromRow * BOARD_SIZE + move.fromCol];
    if (direction == NO_DIRECTION) return true;
    return mover == WHITE ? !sliderOnRay<true>(&Board[0][0], king, direction)
                          : !sliderOnRay<false>(&Board[0][0], king, direction);
}


int kingSquareOutOfCheck() {
    const int king = kingSquare[sideToMove];
    const PieceCode ownKing = sideToMove == WHITE ? WHITE_KING : BLACK_KING;
    if (!kingsAreUnique || king == NO_KING_SQUARE || (&Board[0][0])[king] != ownKing) return NO_KING_SQUARE;
    return isKingAttacked(opponentOf(sideToMove)) ? NO_KING_SQUARE : king;
}

std::uint64_t pinnedPieces(int king) {
    return sideToMove == WHITE ? pinnedTo<true>(&Board[0][0], king) : pinnedTo<false>(&Board[0][0], king);
}

bool isLegalBeforeMake(const Move& move, int king, std::uint64_t pinned) {
    const int from = move.fromRow * BOARD_SIZE + move.fromCol;
    const int to = move.toRow * BOARD_SIZE + move.toCol;
    if (from == king) {
        // The king need not be lifted: a slider whose line to the destination runs through the
        // king's square would check it now. A piece it captures stands on the tested square, which
        // the test never looks at.
        const PieceCode* squares = &Board[0][0];
        return sideToMove == WHITE ? !squareAttacked<true>(squares, to) : !squareAttacked<false>(squares, to);
    }
    // A pinned piece reaches no square beyond its pinner, so keeping the direction keeps the shield.
    return (pinned & (std::uint64_t{1} << from)) == 0 ||
           DIRECTIONS_BETWEEN.between[king][to] == DIRECTIONS_BETWEEN.between[king][from];
}

}  // namespace board
