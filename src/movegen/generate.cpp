// One square scan per call; each piece kind runs its own routine. The list
// order is the ordering tie-break, so it must not change.
#include "movegen/generate.h"

#include <bit>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "board/castling.h"
#include "board/position.h"
#include "eval/evaluate.h"
#include "movegen/movelist.h"

namespace movegen {

namespace {

using board::Board;

constexpr int SLIDER_RANGE = 7;
constexpr int KING_RANGE = 1;

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

constexpr std::uint64_t bitOf(int square) { return std::uint64_t{1} << square; }

constexpr int PROMOTION_CHOICES = 4;

// A record built in two registers, in the list's layout: piece, squares, promotion, capture and
// en-passant flag in the low word; saved file, castling flag, castling loss and score in the high
// one. Written whole: byte-wide stores into the list would make the compiler reload every global
// after each of them.
struct Record {
    std::uint64_t low;
    std::uint64_t high;
};
static_assert(sizeof(Record) == sizeof(Move));
static_assert(std::endian::native == std::endian::little, "records are built in the list's byte order");
static_assert(offsetof(Move, fromRow) == 1 && offsetof(Move, toRow) == 3 && offsetof(Move, promotion) == 5 &&
              offsetof(Move, captured) == 6 && offsetof(Move, enPassant) == 7 && offsetof(Move, castling) == 9 &&
              offsetof(Move, castlingLoss) == 10 && offsetof(Move, score) == 12);
constexpr int FROM_SHIFT = 8;
constexpr int TO_SHIFT = 24;
constexpr int PROMOTION_SHIFT = 40;
constexpr int CAPTURED_SHIFT = 48;
constexpr int EN_PASSANT_SHIFT = 56;
constexpr int CASTLING_SHIFT = 8;
constexpr int LOSS_SHIFT = 16;
constexpr int SCORE_SHIFT = 32;
constexpr std::uint64_t BYTE_MASK = 0xFF;

constexpr std::uint64_t byteOf(int value) { return static_cast<std::uint8_t>(value); }
// A square as the record's row byte and column byte.
constexpr std::uint64_t squareBytes(int square) {
    return byteOf(square / BOARD_SIZE) | byteOf(square % BOARD_SIZE) << CHAR_BIT;
}
constexpr std::uint64_t scoreBits(int score) { return std::uint64_t{static_cast<std::uint32_t>(score)} << SCORE_SHIFT; }

// Where a generation's moves go: into the ply's list, the count kept here and stored once at the
// end (a record past MAX_MOVES is dropped); or, counting, only a number.
struct Sink {
    Move* list;
    int count;
    int counted;
};

template <bool Count>
inline void put(Sink& sink, const Record& record) {
    if constexpr (Count) {
        ++sink.counted;
    } else if (sink.count < MAX_MOVES) {
        std::memcpy(&sink.list[sink.count++], &record, sizeof record);
    }
}

// A record scored for ordering: a capture by victim minus attacker for the mover (the two codes'
// table values have opposite signs), anything else 0.
template <bool White>
inline Record moveRecord(PieceCode piece, int from, int to, PieceCode captured, int castlingLoss) {
    Record record;
    record.low = byteOf(piece) | squareBytes(from) << FROM_SHIFT | squareBytes(to) << TO_SHIFT |
                 byteOf(EMPTY) << PROMOTION_SHIFT | byteOf(captured) << CAPTURED_SHIFT;
    record.high = std::uint64_t{static_cast<std::uint16_t>(castlingLoss)} << LOSS_SHIFT;
    if (captured != EMPTY) {
        constexpr int sign = White ? -1 : +1;
        const auto& values = eval::PIECE_SQUARE_VALUES;
        record.high |= scoreBits(CAPTURE_BASE + sign * (values[captured][to / BOARD_SIZE][to % BOARD_SIZE] +
                                                       values[piece][from / BOARD_SIZE][from % BOARD_SIZE]));
    }
    return record;
}

// A move onto a square whose occupant the caller has not looked at.
template <bool White>
inline Record moveTo(PieceCode piece, int from, int to, int castlingLoss) {
    return moveRecord<White>(piece, from, to, (&Board[0][0])[to], castlingLoss);
}

inline Record castlingRecord(Record record) {
    record.high |= std::uint64_t{1} << CASTLING_SHIFT;
    return record;
}

// What a king or a rook leaving from this column costs (0 for every other piece).
template <bool White>
inline int castlingLossOf(PieceCode piece, int col) {
    const int word = Side<White>::castlingWord();
    if (word == 0 || (piece != Side<White>::KING && piece != Side<White>::ROOK)) return 0;
    return castlingLossFor(piece, col, word);
}

// One line of a slider: the empty squares up to the nearest piece, nearest first, then that
// piece if it is an enemy one. The nearest piece is the lowest bit where the squares' numbers
// rise along the line, the highest where they fall.
template <bool White, bool CapturesOnly, bool Count, bool Rising>
inline void slideLine(Sink& sink, PieceCode piece, int from, const std::uint64_t (&rays)[SQUARE_COUNT][LINE_COUNT],
                      int line, std::uint64_t occupied, int castlingLoss) {
    const std::uint64_t ray = rays[from][line];
    const std::uint64_t blockers = ray & occupied;
    std::uint64_t empty = ray;
    int blocker = -1;
    if (blockers != 0) {
        blocker = Rising ? std::countr_zero(blockers) : SQUARE_COUNT - 1 - std::countl_zero(blockers);
        empty = ray & ~rays[blocker][line] & ~bitOf(blocker);
    }
    if (!CapturesOnly) {
        if constexpr (Rising) {
            for (; empty != 0; empty &= empty - 1)
                put<Count>(sink, moveRecord<White>(piece, from, std::countr_zero(empty), EMPTY, castlingLoss));
        } else {
            for (; empty != 0;) {
                const int square = SQUARE_COUNT - 1 - std::countl_zero(empty);
                empty ^= bitOf(square);
                put<Count>(sink, moveRecord<White>(piece, from, square, EMPTY, castlingLoss));
            }
        }
    }
    if (blocker >= 0 && Side<White>::isOpponent((&Board[0][0])[blocker]))
        put<Count>(sink, moveTo<White>(piece, from, blocker, castlingLoss));
}

// A slider's lines in their order; which way each runs is known when compiling.
template <bool White, bool CapturesOnly, bool Count, bool Straight>
inline void slide(Sink& sink, PieceCode piece, int from, std::uint64_t occupied, int castlingLoss) {
    constexpr const auto& STEPS = Straight ? STRAIGHT_STEPS : DIAGONAL_STEPS;
    const auto& rays = Straight ? LINE_MASKS.straight : LINE_MASKS.diagonal;
    static_assert(LINE_COUNT == 4, "one call per line");
    slideLine<White, CapturesOnly, Count, rises(STEPS[0])>(sink, piece, from, rays, 0, occupied, castlingLoss);
    slideLine<White, CapturesOnly, Count, rises(STEPS[1])>(sink, piece, from, rays, 1, occupied, castlingLoss);
    slideLine<White, CapturesOnly, Count, rises(STEPS[2])>(sink, piece, from, rays, 2, occupied, castlingLoss);
    slideLine<White, CapturesOnly, Count, rises(STEPS[3])>(sink, piece, from, rays, 3, occupied, castlingLoss);
}

// The king's one step along each line, straight ones first.
template <bool White, bool CapturesOnly, bool Count>
inline void kingSteps(Sink& sink, int from, const SquareList (&lines)[LINE_COUNT], int castlingLoss) {
    using S = Side<White>;
    for (const SquareList& line : lines) {
        if (line.count == 0) continue;
        const int square = line.squares[0];
        const PieceCode target = (&Board[0][0])[square];
        if (target == EMPTY ? !CapturesOnly : S::isOpponent(target))
            put<Count>(sink, moveRecord<White>(S::KING, from, square, target, castlingLoss));
    }
}

template <bool White, bool CapturesOnly, bool Count>
inline void knightMoves(Sink& sink, int from) {
    using S = Side<White>;
    const SquareList& jumps = LINES.knight[from];
    for (int index = 0; index < jumps.count; ++index) {
        const int square = jumps.squares[index];
        const PieceCode target = (&Board[0][0])[square];
        if (CapturesOnly ? S::isOpponent(target) : (target == EMPTY || S::isOpponent(target)))
            put<Count>(sink, moveRecord<White>(S::KNIGHT, from, square, target, 0));
    }
}

// Chess960 castling: king to the g- or c-file, its rook to the f- or d-file, every square either
// crosses or reaches empty but for the two of them. Attacks are left to the legality test. The
// move is the king taking its own rook: marked castling, and no capture.
template <bool White>
void castlingByRookMoves(Sink& sink, int row, int col) {
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
        const int rowStart = back * BOARD_SIZE;
        put<false>(sink, castlingRecord(moveRecord<White>(S::KING, rowStart + col, rowStart + rookCol, EMPTY, 0)));
    }
}

// Castling is always listed, also by a counting generation: its legality is tested by making it.
template <bool White, bool Chess960>
void castlingMoves(Sink& sink, int row, int col) {
    using S = Side<White>;
    if constexpr (Chess960) {
        castlingByRookMoves<White>(sink, row, col);
        return;
    }
    const int word = S::castlingWord();
    const int back = S::BACK_ROW;
    // A second king (possible only in a loaded position) never castles.
    if (row != back || col != KING_START_COL || Board[back][KING_START_COL] != S::KING) return;
    const int from = back * BOARD_SIZE + KING_START_COL;
    if ((word & CASTLE_KINGSIDE) && Board[back][5] == EMPTY && Board[back][6] == EMPTY &&
        Board[back][KINGSIDE_ROOK_COL] == S::ROOK) {
        put<false>(sink, castlingRecord(moveRecord<White>(S::KING, from, from + 2, EMPTY, 0)));
    }
    if ((word & CASTLE_QUEENSIDE) && Board[back][3] == EMPTY && Board[back][2] == EMPTY &&
        Board[back][1] == EMPTY && Board[back][QUEENSIDE_ROOK_COL] == S::ROOK) {
        put<false>(sink, castlingRecord(moveRecord<White>(S::KING, from, from - 2, EMPTY, 0)));
    }
}

// A pawn's move, or its four promotions (queen first), each scored by the piece it becomes on
// the last row, in the pawn's own column.
template <bool White, bool Count>
inline void pawnMove(Sink& sink, int from, int to, PieceCode captured, bool promotes) {
    using S = Side<White>;
    const Record move = moveRecord<White>(S::PAWN, from, to, captured, 0);
    if (!promotes) return put<Count>(sink, move);
    constexpr PieceCode PROMOTIONS[PROMOTION_CHOICES] = {S::QUEEN, S::ROOK, S::BISHOP, S::KNIGHT};
    for (PieceCode promotion : PROMOTIONS) {
        const int bonus = White ? eval::PIECE_SQUARE_VALUES[promotion][LAST_ROW][from % BOARD_SIZE]
                                : -eval::PIECE_SQUARE_VALUES[promotion][FIRST_ROW][from % BOARD_SIZE];
        Record promoting = move;
        promoting.low = (promoting.low & ~(BYTE_MASK << PROMOTION_SHIFT)) | byteOf(promotion) << PROMOTION_SHIFT;
        // The score is the high word's upper half: adding there wraps as the 32-bit score would.
        promoting.high += scoreBits(bonus);
        put<Count>(sink, promoting);
    }
}

// Counting, en passant still gets its record: its legality is tested by making it.
template <bool White, bool CapturesOnly, bool Count>
inline void pawnMoves(Sink& sink, int row, int col) {
    using S = Side<White>;
    // A pawn on its last row (only a loaded position holds one) has nowhere to go.
    if (row == S::LAST_PAWN_ROW) return;
    const int from = row * BOARD_SIZE + col;
    const int ahead = row + S::FORWARD;
    const bool promotes = row == S::PROMOTION_FROM_ROW;
    if (!CapturesOnly && Board[ahead][col] == EMPTY) {
        pawnMove<White, Count>(sink, from, ahead * BOARD_SIZE + col, EMPTY, promotes);
        if (row == S::PAWN_START_ROW && Board[ahead + S::FORWARD][col] == EMPTY)
            pawnMove<White, Count>(sink, from, (ahead + S::FORWARD) * BOARD_SIZE + col, EMPTY, false);
    }
    if (col < LAST_COL && S::isOpponent(Board[ahead][col + 1]))
        pawnMove<White, Count>(sink, from, ahead * BOARD_SIZE + col + 1, Board[ahead][col + 1], promotes);
    if (col > FIRST_COL && S::isOpponent(Board[ahead][col - 1]))
        pawnMove<White, Count>(sink, from, ahead * BOARD_SIZE + col - 1, Board[ahead][col - 1], promotes);
    if (row == S::EN_PASSANT_FROM_ROW) {
        const int epFile = S::opponentEpFile();
        // Typed moves can leave a piece on the square behind the pawn; capturing
        // en passant there would lose it, so that capture is not offered.
        for (const int side : {col + 1, col - 1}) {
            if (side < FIRST_COL || side > LAST_COL || epFile != side || Board[ahead][side] != EMPTY) continue;
            Record move = moveRecord<White>(S::PAWN, from, ahead * BOARD_SIZE + side, EMPTY, 0);
            move.low |= std::uint64_t{1} << EN_PASSANT_SHIFT;
            put<false>(sink, move);
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
std::uint64_t piecesThatMayCapture(std::uint64_t enemy) {
    using S = Side<White>;
    const std::uint64_t* bits = board::pieceBits;
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
inline void pieceMoves(Sink& sink, PieceCode code, int square, std::uint64_t occupied) {
    using S = Side<White>;
    const int row = square / BOARD_SIZE;
    const int col = square % BOARD_SIZE;
    if (code == S::ROOK) {
        slide<White, CapturesOnly, Count, true>(sink, code, square, occupied, castlingLossOf<White>(code, col));
    } else if (code == S::KNIGHT) {
        knightMoves<White, CapturesOnly, Count>(sink, square);
    } else if (code == S::BISHOP) {
        slide<White, CapturesOnly, Count, false>(sink, code, square, occupied, 0);
    } else if (code == S::QUEEN) {
        slide<White, CapturesOnly, Count, true>(sink, code, square, occupied, 0);
        slide<White, CapturesOnly, Count, false>(sink, code, square, occupied, 0);
    } else if (code == S::KING) {
        const int castlingLoss = castlingLossOf<White>(code, col);
        kingSteps<White, CapturesOnly, Count>(sink, square, LINES.straight[square], castlingLoss);
        kingSteps<White, CapturesOnly, Count>(sink, square, LINES.diagonal[square], castlingLoss);
        if (!CapturesOnly) castlingMoves<White, Chess960>(sink, row, col);
    } else if (code == S::PAWN) {
        pawnMoves<White, CapturesOnly, Count>(sink, row, col);
    }
}

// Counting, the pieces off the listed squares only count their moves (a king always lists its
// castling, a pawn its en-passant capture). Returns the number counted.
template <bool White, bool CapturesOnly, bool Chess960 = false, bool Counting = false>
int generate(std::uint64_t listed = ~std::uint64_t{0}) {
    const std::uint64_t own = board::sideSquares(White ? WHITE : BLACK);
    const std::uint64_t enemy = board::sideSquares(White ? BLACK : WHITE);
    const std::uint64_t occupied = own | enemy;
    Sink sink{MoveList[searchPly], moveCount[searchPly], 0};
    // Rising bits visit the side's pieces in the order of a square scan, row by row.
    for (std::uint64_t pieces = CapturesOnly ? piecesThatMayCapture<White>(enemy) : own; pieces != 0;
         pieces &= pieces - 1) {
        const int square = std::countr_zero(pieces);
        const PieceCode code = (&Board[0][0])[square];
        if (Counting && (listed & bitOf(square)) == 0)
            pieceMoves<White, CapturesOnly, Chess960, true>(sink, code, square, occupied);
        else
            pieceMoves<White, CapturesOnly, Chess960, false>(sink, code, square, occupied);
    }
    moveCount[searchPly] = sink.count;
    return sink.counted;
}

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
    if (board::sideToMove == WHITE) return generate<true, false, false, true>(listed);
    return generate<false, false, false, true>(listed);
}

void generateCaptures() {
    if (board::chess960Castling) [[unlikely]] return generateUnderChess960Castling(true);
    if (board::sideToMove == WHITE)
        generate<true, true>();
    else
        generate<false, true>();
}

}  // namespace movegen
