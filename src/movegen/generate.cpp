// One square scan per call; each piece kind runs its own routine. The list
// order is the ordering tie-break, so it must not change.
#include "movegen/generate.h"

#include <bit>
#include <cstdint>

#include "board/castling.h"
#include "board/position.h"
#include "movegen/movelist.h"

namespace movegen {

namespace {

using board::Board;

constexpr int SLIDER_RANGE = 7;
constexpr int KING_RANGE = 1;

// Moves a counting generation passed over without a record (see generateCounting).
thread_local constinit int countedMoves = 0;

template <bool White>
struct Side {
    static constexpr PieceCode ROOK = White ? WHITE_ROOK : BLACK_ROOK;
    static constexpr PieceCode KNIGHT = White ? WHITE_KNIGHT : BLACK_KNIGHT;
    static constexpr PieceCode BISHOP = White ? WHITE_BISHOP : BLACK_BISHOP;
    static constexpr PieceCode QUEEN = White ? WHITE_QUEEN : BLACK_QUEEN;
    static constexpr PieceCode KING = White ? WHITE_KING : BLACK_KING;
    static constexpr PieceCode PAWN = White ? WHITE_PAWN : BLACK_PAWN;
    static constexpr int BACK_ROW = White ? FIRST_ROW : LAST_ROW;
    static constexpr int FORWARD = White ? +1 : -1;
    static constexpr int PAWN_START_ROW = White ? 1 : 6;
    static constexpr int PROMOTION_FROM_ROW = White ? 6 : 1;
    static constexpr int EN_PASSANT_FROM_ROW = White ? 4 : 3;
    static constexpr int LAST_PAWN_ROW = White ? LAST_ROW : FIRST_ROW;
    static bool isOpponent(PieceCode code) { return White ? isBlackPiece(code) : isWhitePiece(code); }
    static int& castlingWord() { return White ? board::whiteCastling : board::blackCastling; }
    static int opponentEpFile() { return White ? board::blackEpFile : board::whiteEpFile; }
};

constexpr int SQUARE_COUNT = BOARD_SIZE * BOARD_SIZE;
constexpr int LINE_COUNT = 4;

// The squares one step list reaches from a square, nearest first, as flat indices.
struct SquareList {
    std::uint8_t count = 0;
    std::uint8_t squares[BOARD_SIZE] = {};
};

// clang-format off
// The order of the lines and of the jumps is the order of the generated list.
constexpr int STRAIGHT_STEPS[LINE_COUNT][2] = {{+1, 0}, {0, +1}, {-1, 0}, {0, -1}};
constexpr int DIAGONAL_STEPS[LINE_COUNT][2] = {{+1, +1}, {-1, +1}, {-1, -1}, {+1, -1}};
constexpr int KNIGHT_JUMPS[8][2] = {
    {+2, +1}, {+1, +2}, {-1, +2}, {-2, +1}, {-2, -1}, {-1, -2}, {+1, -2}, {+2, -1}};
// clang-format on

struct GeneratorLines {
    SquareList straight[SQUARE_COUNT][LINE_COUNT];
    SquareList diagonal[SQUARE_COUNT][LINE_COUNT];
    SquareList knight[SQUARE_COUNT];
};

constexpr SquareList walk(int square, int rowStep, int colStep, int range) {
    SquareList list{};
    int row = square / BOARD_SIZE + rowStep;
    int col = square % BOARD_SIZE + colStep;
    for (int steps = 0; steps < range && onBoard(row, col); ++steps, row += rowStep, col += colStep)
        list.squares[list.count++] = static_cast<std::uint8_t>(row * BOARD_SIZE + col);
    return list;
}

// Precomputed so the generators walk indices without bounds checks.
constexpr GeneratorLines buildGeneratorLines() {
    GeneratorLines lines{};
    for (int square = 0; square < SQUARE_COUNT; ++square) {
        for (int line = 0; line < LINE_COUNT; ++line) {
            lines.straight[square][line] = walk(square, STRAIGHT_STEPS[line][0], STRAIGHT_STEPS[line][1], SLIDER_RANGE);
            lines.diagonal[square][line] = walk(square, DIAGONAL_STEPS[line][0], DIAGONAL_STEPS[line][1], SLIDER_RANGE);
        }
        for (const auto& jump : KNIGHT_JUMPS) {
            const SquareList target = walk(square, jump[0], jump[1], 1);
            if (target.count != 0) lines.knight[square].squares[lines.knight[square].count++] = target.squares[0];
        }
    }
    return lines;
}

constexpr GeneratorLines LINES = buildGeneratorLines();

// The same lines as bits, so a capture scan can go straight to a line's nearest piece: the
// lowest bit where the squares' numbers rise along the line, the highest where they fall.
struct LineMasks {
    std::uint64_t straight[SQUARE_COUNT][LINE_COUNT];
    std::uint64_t diagonal[SQUARE_COUNT][LINE_COUNT];
    std::uint64_t knight[SQUARE_COUNT];
    std::uint64_t king[SQUARE_COUNT];
};

constexpr std::uint64_t maskOf(const SquareList& line) {
    std::uint64_t mask = 0;
    for (int step = 0; step < line.count; ++step) mask |= std::uint64_t{1} << line.squares[step];
    return mask;
}

constexpr LineMasks buildLineMasks() {
    LineMasks masks{};
    for (int square = 0; square < SQUARE_COUNT; ++square) {
        for (int line = 0; line < LINE_COUNT; ++line) {
            masks.straight[square][line] = maskOf(LINES.straight[square][line]);
            masks.diagonal[square][line] = maskOf(LINES.diagonal[square][line]);
            masks.king[square] |= maskOf(walk(square, STRAIGHT_STEPS[line][0], STRAIGHT_STEPS[line][1], KING_RANGE)) |
                                  maskOf(walk(square, DIAGONAL_STEPS[line][0], DIAGONAL_STEPS[line][1], KING_RANGE));
        }
        masks.knight[square] = maskOf(LINES.knight[square]);
    }
    return masks;
}

constexpr LineMasks LINE_MASKS = buildLineMasks();

constexpr bool rises(const int (&step)[2]) { return step[0] * BOARD_SIZE + step[1] > 0; }

// Adds a move a scan found, with the castling right it may cost; or, counting, only counts it.
template <bool White, bool Count = false>
inline void addScannedMove(PieceCode piece, int fromRow, int fromCol, int square, bool mayCostCastling) {
    if constexpr (Count) {
        ++countedMoves;
        return;
    }
    addMove(piece, fromRow, fromCol, square / BOARD_SIZE, square % BOARD_SIZE);
    const int& word = Side<White>::castlingWord();
    if (word != 0 && mayCostCastling) recordCastlingLoss(piece, fromCol, word);
}

// A whole line's capture: its nearest piece, when that is an enemy one.
template <bool White>
inline void captureOnLine(PieceCode piece, int fromRow, int fromCol, std::uint64_t pieces, bool rising,
                          bool mayCostCastling) {
    if (pieces == 0) return;
    const int square = rising ? std::countr_zero(pieces) : SQUARE_COUNT - 1 - std::countl_zero(pieces);
    if (Side<White>::isOpponent((&Board[0][0])[square]))
        addScannedMove<White>(piece, fromRow, fromCol, square, mayCostCastling);
}

template <bool White>
inline void lineCaptures(PieceCode piece, int row, int col, const std::uint64_t (&lines)[LINE_COUNT],
                         const int (&steps)[LINE_COUNT][2], std::uint64_t occupied, bool mayCostCastling) {
    for (int line = 0; line < LINE_COUNT; ++line)
        captureOnLine<White>(piece, row, col, lines[line] & occupied, rises(steps[line]), mayCostCastling);
}

template <bool White, bool CapturesOnly, bool Count>
inline void scanLine(PieceCode piece, int fromRow, int fromCol, const SquareList& line, int range,
                     bool mayCostCastling) {
    using S = Side<White>;
    const PieceCode* squares = &Board[0][0];
    const int limit = range < line.count ? range : line.count;
    for (int step = 0; step < limit; ++step) {
        const int square = line.squares[step];
        const PieceCode target = squares[square];
        if (target != EMPTY && !S::isOpponent(target)) return;
        if (target != EMPTY || !CapturesOnly)
            addScannedMove<White, Count>(piece, fromRow, fromCol, square, mayCostCastling);
        if (target != EMPTY) return;
    }
}

// Only a king, or a rook on a straight line, can cost a castling right.
// occupied: every piece's square, read only by a slider's capture scan.
template <bool White, bool CapturesOnly, bool Count = false>
void straightScans(PieceCode piece, int row, int col, int range, std::uint64_t occupied) {
    using S = Side<White>;
    const bool mayCostCastling = piece == S::KING || piece == S::ROOK;
    const int square = row * BOARD_SIZE + col;
    if (CapturesOnly && range == SLIDER_RANGE) {
        lineCaptures<White>(piece, row, col, LINE_MASKS.straight[square], STRAIGHT_STEPS, occupied, mayCostCastling);
        return;
    }
    for (const SquareList& line : LINES.straight[square])
        scanLine<White, CapturesOnly, Count>(piece, row, col, line, range, mayCostCastling);
}

template <bool White, bool CapturesOnly, bool Count = false>
void diagonalScans(PieceCode piece, int row, int col, int range, std::uint64_t occupied) {
    using S = Side<White>;
    const bool mayCostCastling = piece == S::KING;
    const int square = row * BOARD_SIZE + col;
    if (CapturesOnly && range == SLIDER_RANGE) {
        lineCaptures<White>(piece, row, col, LINE_MASKS.diagonal[square], DIAGONAL_STEPS, occupied, mayCostCastling);
        return;
    }
    for (const SquareList& line : LINES.diagonal[square])
        scanLine<White, CapturesOnly, Count>(piece, row, col, line, range, mayCostCastling);
}

template <bool White, bool CapturesOnly, bool Count = false>
void knightMoves(int row, int col) {
    using S = Side<White>;
    const SquareList& jumps = LINES.knight[row * BOARD_SIZE + col];
    const PieceCode* squares = &Board[0][0];
    for (int index = 0; index < jumps.count; ++index) {
        const int square = jumps.squares[index];
        const PieceCode target = squares[square];
        if (!(CapturesOnly ? S::isOpponent(target) : (target == EMPTY || S::isOpponent(target)))) continue;
        if constexpr (Count)
            ++countedMoves;
        else
            addMove(S::KNIGHT, row, col, square / BOARD_SIZE, square % BOARD_SIZE);
    }
}

// Chess960 castling: king to the g- or c-file, its rook to the f- or d-file, every square either
// crosses or reaches empty but for the two of them. Attacks are left to the legality test.
template <bool White>
void castlingByRookMoves(int row, int col) {
    using S = Side<White>;
    const int word = S::castlingWord();
    const int back = S::BACK_ROW;
    if (row != back || !board::kingsAreUnique) return;
    const Color color = White ? WHITE : BLACK;
    for (int side = 0; side < board::CASTLING_SIDES; ++side) {
        if ((word & board::CASTLING_RIGHT_BITS[side]) == 0) continue;
        const int rookCol = board::castlingRookCol[color][side];
        if (Board[back][rookCol] != S::ROOK) continue;
        const int kingTo = board::CASTLED_KING_COLS[side];
        const int rookTo = board::CASTLED_ROOK_COLS[side];
        int low = col < rookCol ? col : rookCol;
        int high = col < rookCol ? rookCol : col;
        low = low < kingTo ? low : kingTo;
        low = low < rookTo ? low : rookTo;
        high = high > kingTo ? high : kingTo;
        high = high > rookTo ? high : rookTo;
        bool clear = true;
        for (int passed = low; passed <= high && clear; ++passed)
            clear = passed == col || passed == rookCol || Board[back][passed] == EMPTY;
        if (!clear) continue;
        addMove(S::KING, row, col, row, rookCol);
        markCastlingByRook();
    }
}

template <bool White, bool Chess960>
void castlingMoves(int row, int col) {
    using S = Side<White>;
    if constexpr (Chess960) {
        castlingByRookMoves<White>(row, col);
        return;
    }
    const int word = S::castlingWord();
    const int back = S::BACK_ROW;
    // A second king (possible only in a loaded position) never castles.
    if (row != back || col != KING_START_COL || Board[back][KING_START_COL] != S::KING) return;
    if ((word & CASTLE_KINGSIDE) && Board[back][5] == EMPTY && Board[back][6] == EMPTY &&
        Board[back][KINGSIDE_ROOK_COL] == S::ROOK) {
        addMove(S::KING, row, col, row, col + 2);
        markCastling();
    }
    if ((word & CASTLE_QUEENSIDE) && Board[back][3] == EMPTY && Board[back][2] == EMPTY &&
        Board[back][1] == EMPTY && Board[back][QUEENSIDE_ROOK_COL] == S::ROOK) {
        addMove(S::KING, row, col, row, col - 2);
        markCastling();
    }
}

constexpr int PROMOTION_CHOICES = 4;

template <bool White, bool Count = false>
void addPawnMove(int fromRow, int fromCol, int toRow, int toCol, bool promotes) {
    using S = Side<White>;
    if constexpr (Count) {
        countedMoves += promotes ? PROMOTION_CHOICES : 1;
        return;
    }
    addMove(S::PAWN, fromRow, fromCol, toRow, toCol);
    if (!promotes) return;
    setPromotion(S::QUEEN);
    constexpr PieceCode UNDER_PROMOTIONS[3] = {S::ROOK, S::BISHOP, S::KNIGHT};
    for (PieceCode promotion : UNDER_PROMOTIONS) {
        addMove(S::PAWN, fromRow, fromCol, toRow, toCol);
        setPromotion(promotion);
    }
}

// Counting, en passant still gets its record: its legality is tested by making it.
template <bool White, bool CapturesOnly, bool Count = false>
void pawnMoves(int row, int col) {
    using S = Side<White>;
    // A pawn on its last row (only a loaded position holds one) has nowhere to go.
    if (row == S::LAST_PAWN_ROW) return;
    const int ahead = row + S::FORWARD;
    const bool promotes = row == S::PROMOTION_FROM_ROW;
    if (!CapturesOnly) {
        if (Board[ahead][col] == EMPTY) addPawnMove<White, Count>(row, col, ahead, col, promotes);
        if (row == S::PAWN_START_ROW && Board[ahead][col] == EMPTY &&
            Board[ahead + S::FORWARD][col] == EMPTY)
            addPawnMove<White, Count>(row, col, ahead + S::FORWARD, col, false);
    }
    if (col < LAST_COL && S::isOpponent(Board[ahead][col + 1]))
        addPawnMove<White, Count>(row, col, ahead, col + 1, promotes);
    if (col > FIRST_COL && S::isOpponent(Board[ahead][col - 1]))
        addPawnMove<White, Count>(row, col, ahead, col - 1, promotes);
    if (row == S::EN_PASSANT_FROM_ROW) {
        const int epFile = S::opponentEpFile();
        // Typed moves can leave a piece on the square behind the pawn; capturing
        // en passant there would lose it, so that capture is not offered.
        if (col < LAST_COL && epFile == col + 1 && Board[ahead][col + 1] == EMPTY) {
            addMove(S::PAWN, row, col, ahead, col + 1);
            markEnPassant();
        }
        if (col > FIRST_COL && epFile == col - 1 && Board[ahead][col - 1] == EMPTY) {
            addMove(S::PAWN, row, col, ahead, col - 1);
            markEnPassant();
        }
    }
}

constexpr std::uint64_t FILE_A_SQUARES = 0x0101010101010101ULL;
constexpr std::uint64_t FILE_H_SQUARES = FILE_A_SQUARES << LAST_COL;
constexpr std::uint64_t FIRST_ROW_SQUARES = (std::uint64_t{1} << BOARD_SIZE) - 1;

// The side's pieces that can have a capture: every slider, but a knight, king or pawn only with an
// enemy piece in its reach (a pawn also on its en-passant row while a file is open). The others
// would add nothing to the list, so leaving them out of the scan keeps the list as it was.
template <bool White>
std::uint64_t piecesThatMayCapture(std::uint64_t occupied) {
    using S = Side<White>;
    const std::uint64_t* bits = board::pieceBits;
    const std::uint64_t enemy = occupied & ~board::sideSquares(White ? WHITE : BLACK);
    const std::uint64_t pawns = bits[S::PAWN];
    // A pawn captures one row ahead, one column to each side (never across the board's edge).
    constexpr int RIGHT = White ? BOARD_SIZE + 1 : -(BOARD_SIZE - 1);
    constexpr int LEFT = White ? BOARD_SIZE - 1 : -(BOARD_SIZE + 1);
    const auto towards = [](std::uint64_t targets, int shift) { return shift > 0 ? targets >> shift : targets << -shift; };
    std::uint64_t may = bits[S::ROOK] | bits[S::BISHOP] | bits[S::QUEEN] |
                        (pawns & ~FILE_H_SQUARES & towards(enemy, RIGHT)) | (pawns & ~FILE_A_SQUARES & towards(enemy, LEFT));
    if (S::opponentEpFile() != NO_EP_FILE) may |= pawns & (FIRST_ROW_SQUARES << (S::EN_PASSANT_FROM_ROW * BOARD_SIZE));
    for (std::uint64_t knights = bits[S::KNIGHT]; knights != 0; knights &= knights - 1)
        if ((LINE_MASKS.knight[std::countr_zero(knights)] & enemy) != 0) may |= knights & (~knights + 1);
    for (std::uint64_t kings = bits[S::KING]; kings != 0; kings &= kings - 1)
        if ((LINE_MASKS.king[std::countr_zero(kings)] & enemy) != 0) may |= kings & (~kings + 1);
    return may;
}

template <bool White, bool CapturesOnly, bool Chess960, bool Count>
inline void pieceMoves(PieceCode code, int row, int col, std::uint64_t occupied) {
    using S = Side<White>;
    if (code == S::ROOK) {
        straightScans<White, CapturesOnly, Count>(code, row, col, SLIDER_RANGE, occupied);
    } else if (code == S::KNIGHT) {
        knightMoves<White, CapturesOnly, Count>(row, col);
    } else if (code == S::BISHOP) {
        diagonalScans<White, CapturesOnly, Count>(code, row, col, SLIDER_RANGE, occupied);
    } else if (code == S::QUEEN) {
        straightScans<White, CapturesOnly, Count>(code, row, col, SLIDER_RANGE, occupied);
        diagonalScans<White, CapturesOnly, Count>(code, row, col, SLIDER_RANGE, occupied);
    } else if (code == S::KING) {
        straightScans<White, CapturesOnly, Count>(code, row, col, KING_RANGE, occupied);
        diagonalScans<White, CapturesOnly, Count>(code, row, col, KING_RANGE, occupied);
        if (!CapturesOnly) castlingMoves<White, Chess960>(row, col);
    } else if (code == S::PAWN) {
        pawnMoves<White, CapturesOnly, Count>(row, col);
    }
}

// Counting, the pieces off the listed squares only count their moves (a king always lists its
// castling, a pawn its en-passant capture).
template <bool White, bool CapturesOnly, bool Chess960 = false, bool Counting = false>
void generate(std::uint64_t listed = ~std::uint64_t{0}) {
    const std::uint64_t occupied = CapturesOnly ? board::occupiedSquares() : 0;
    // Rising bits visit the side's pieces in the order of a square scan, row by row.
    std::uint64_t own = CapturesOnly ? piecesThatMayCapture<White>(occupied) : board::sideSquares(White ? WHITE : BLACK);
    for (; own != 0; own &= own - 1) {
        const int square = std::countr_zero(own);
        const int row = square / BOARD_SIZE;
        const int col = square % BOARD_SIZE;
        const PieceCode code = Board[row][col];
        if (Counting && (listed & std::uint64_t{1} << square) == 0)
            pieceMoves<White, CapturesOnly, Chess960, true>(code, row, col, occupied);
        else
            pieceMoves<White, CapturesOnly, Chess960, false>(code, row, col, occupied);
    }
}

}  // namespace

namespace {
// Under Chess960 castling the generators' castling losses (the design's rule: any rook leaving
// the corner's column) are replaced by the exact ones, for the moves this call added.
void keepRightsExactly(int firstAdded) {
    Move* moves = MoveList[searchPly];
    const int count = moveCount[searchPly];
    for (int index = firstAdded; index < count && index < MAX_MOVES; ++index)
        moves[index].castlingLoss = static_cast<std::int16_t>(chess960CastlingLoss(moves[index]));
}

// Chess960 castling has generators of its own, out of line, so that standard chess's stay exactly
// as small and fast as they were.
[[gnu::noinline, gnu::cold]] void generateUnderChess960Castling(bool capturesOnly) {
    const int firstAdded = moveCount[searchPly];
    const bool white = board::sideToMove == WHITE;
    if (capturesOnly)
        white ? generate<true, true>() : generate<false, true>();
    else
        white ? generate<true, false, true>() : generate<false, false, true>();
    keepRightsExactly(firstAdded);
}
}  // namespace

void generateMoves() {
    if (board::chess960Castling) [[unlikely]] return generateUnderChess960Castling(false);
    if (board::sideToMove == WHITE)
        generate<true, false>();
    else
        generate<false, false>();
}

int generateCounting(std::uint64_t listed) {
    if (board::chess960Castling) [[unlikely]] {
        generateUnderChess960Castling(false);
        return 0;
    }
    countedMoves = 0;
    if (board::sideToMove == WHITE)
        generate<true, false, false, true>(listed);
    else
        generate<false, false, false, true>(listed);
    return countedMoves;
}

void generateCaptures() {
    if (board::chess960Castling) [[unlikely]] return generateUnderChess960Castling(true);
    if (board::sideToMove == WHITE)
        generate<true, true>();
    else
        generate<false, true>();
}

}  // namespace movegen
