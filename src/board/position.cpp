// Owns the position globals and the set-up of a new game.
#include "board/position.h"

#include <algorithm>
#include <array>

#include "board/castling.h"
#include "board/keys.h"
#include "eval/tables.h"

namespace board {

thread_local constinit PieceCode Board[BOARD_SIZE][BOARD_SIZE];
thread_local constinit Color sideToMove = WHITE;
thread_local constinit int whiteCastling = 0;
thread_local constinit int blackCastling = 0;
thread_local constinit int whiteEpFile = NO_EP_FILE;
thread_local constinit int blackEpFile = NO_EP_FILE;
thread_local constinit int nonPawnPieceCount = 0;
thread_local constinit int halfMoveClock = 0;
thread_local constinit HashKey currentKey = 0;
thread_local constinit HashKey GameHistory[GAME_HISTORY_SIZE];
thread_local constinit int gamePly = 0;
thread_local constinit int kingSquare[2] = {NO_KING_SQUARE, NO_KING_SQUARE};
thread_local constinit bool kingsAreUnique = false;
thread_local constinit std::int64_t packedMaterial = 0;
thread_local constinit std::uint64_t pieceBits[PIECE_CODE_COUNT] = {};
thread_local constinit std::int64_t PackedMaterialHistory[GAME_HISTORY_SIZE];

namespace {
// clang-format off
constexpr PieceCode WHITE_BACK_ROW[BOARD_SIZE] = {
    WHITE_ROOK, WHITE_KNIGHT, WHITE_BISHOP, WHITE_QUEEN, WHITE_KING, WHITE_BISHOP, WHITE_KNIGHT, WHITE_ROOK};
constexpr PieceCode BLACK_BACK_ROW[BOARD_SIZE] = {
    BLACK_ROOK, BLACK_KNIGHT, BLACK_BISHOP, BLACK_QUEEN, BLACK_KING, BLACK_BISHOP, BLACK_KNIGHT, BLACK_ROOK};
// clang-format on
}  // namespace

namespace {
// The start position's pieces, the given back rows, every right; the castling rooks are the caller's.
HashKey setupStart(const PieceCode (&whiteRow)[BOARD_SIZE], const PieceCode (&blackRow)[BOARD_SIZE]) {
    for (int col = 0; col < BOARD_SIZE; ++col) {
        Board[0][col] = whiteRow[col];
        Board[1][col] = WHITE_PAWN;
        Board[7][col] = blackRow[col];
        Board[6][col] = BLACK_PAWN;
        for (int row = 2; row <= 5; ++row) Board[row][col] = EMPTY;
    }
    whiteCastling = START_CASTLING;
    blackCastling = START_CASTLING;
    blackEpFile = NO_EP_FILE;
    whiteEpFile = NO_EP_FILE;
    nonPawnPieceCount = START_NON_PAWN_PIECES;
    sideToMove = WHITE;
    locateKings();
    currentKey = computeKey();
    GameHistory[0] = currentKey;
    return currentKey;
}

// The usual numbering: the light-squared bishop, the dark-squared one, the queen among the six
// squares left, the knights among the five left (ten ways), then rook, king and rook.
constexpr int BISHOP_FILES = 4;
constexpr int QUEEN_CHOICES = 6;
constexpr int KNIGHT_PLACES[10][2] = {{0, 1}, {0, 2}, {0, 3}, {0, 4}, {1, 2}, {1, 3}, {1, 4}, {2, 3}, {2, 4}, {3, 4}};

// Puts the piece on the free square of the given rank among the free ones, counted from file a.
void placeOnFree(PieceCode (&row)[BOARD_SIZE], int freeIndex, PieceCode piece) {
    for (int col = 0; col < BOARD_SIZE; ++col) {
        if (row[col] != EMPTY) continue;
        if (freeIndex-- == 0) {
            row[col] = piece;
            return;
        }
    }
}
}  // namespace

HashKey setupInitialPosition() {
    setStandardCastlingRooks();
    return setupStart(WHITE_BACK_ROW, BLACK_BACK_ROW);
}

void chess960BackRow(int number, PieceCode (&row)[BOARD_SIZE]) {
    for (PieceCode& square : row) square = EMPTY;
    int rest = number;
    row[2 * (rest % BISHOP_FILES) + 1] = WHITE_BISHOP;
    rest /= BISHOP_FILES;
    row[2 * (rest % BISHOP_FILES)] = WHITE_BISHOP;
    rest /= BISHOP_FILES;
    placeOnFree(row, rest % QUEEN_CHOICES, WHITE_QUEEN);
    rest /= QUEEN_CHOICES;
    // The second knight first: placing the first would shift the free squares after it.
    placeOnFree(row, KNIGHT_PLACES[rest][1], WHITE_KNIGHT);
    placeOnFree(row, KNIGHT_PLACES[rest][0], WHITE_KNIGHT);
    placeOnFree(row, 0, WHITE_ROOK);
    placeOnFree(row, 0, WHITE_KING);
    placeOnFree(row, 0, WHITE_ROOK);
}

HashKey setupChess960Position(int number) {
    PieceCode whiteRow[BOARD_SIZE];
    chess960BackRow(number, whiteRow);
    PieceCode blackRow[BOARD_SIZE];
    int rookCols[2][CASTLING_SIDES] = {};
    int rooksSeen = 0;
    for (int col = 0; col < BOARD_SIZE; ++col) {
        blackRow[col] = WHITE_PAWN + BLACK_PAWN - whiteRow[col];
        if (whiteRow[col] != WHITE_ROOK) continue;
        // The first rook from file a castles queen-side, the second king-side.
        const int side = rooksSeen++ == 0 ? QUEENSIDE : KINGSIDE;
        rookCols[WHITE][side] = rookCols[BLACK][side] = col;
    }
    setCastlingRooks(rookCols, number != STANDARD_CHESS960_NUMBER);
    return setupStart(whiteRow, blackRow);
}

namespace {
using PackedValues = std::array<std::array<std::array<std::int64_t, BOARD_SIZE>, BOARD_SIZE>, PIECE_CODE_COUNT>;

constexpr PackedValues buildPackedValues() {
    PackedValues values{};
    for (int code = 0; code < PIECE_CODE_COUNT; ++code)
        for (int row = 0; row < BOARD_SIZE; ++row)
            for (int col = 0; col < BOARD_SIZE; ++col)
                values[code][row][col] = eval::MIDDLEGAME_VALUES[code][row][col] +
                                         eval::ENDGAME_VALUES[code][row][col] * (std::int64_t{1} << PACKED_HALF_SHIFT);
    return values;
}

constexpr PackedValues PACKED_VALUES = buildPackedValues();
}  // namespace

void addToSums(PieceCode code, int row, int col) {
    packedMaterial += PACKED_VALUES[code][row][col];
    flipPieceBit(code, row, col);
}

void takeFromSums(PieceCode code, int row, int col) {
    packedMaterial -= PACKED_VALUES[code][row][col];
    flipPieceBit(code, row, col);
}

namespace {
void countSums() {
    packedMaterial = 0;
    for (std::uint64_t& bits : pieceBits) bits = 0;
    for (int row = 0; row < BOARD_SIZE; ++row)
        for (int col = 0; col < BOARD_SIZE; ++col) addToSums(Board[row][col], row, col);
}

bool sumsAgree() {
    const std::int64_t packed = packedMaterial;
    std::uint64_t kept[PIECE_CODE_COUNT];
    for (int code = 0; code < PIECE_CODE_COUNT; ++code) kept[code] = pieceBits[code];
    countSums();
    bool agree = packed == packedMaterial;
    for (int code = 0; code < PIECE_CODE_COUNT; ++code) {
        if (code != EMPTY) agree = agree && kept[code] == pieceBits[code];
        pieceBits[code] = kept[code];
    }
    packedMaterial = packed;
    return agree;
}
}  // namespace

void locateKings() {
    countSums();
    int kings[2] = {0, 0};
    kingSquare[WHITE] = kingSquare[BLACK] = NO_KING_SQUARE;
    // Backwards, so the square kept is the first in row order, the one a scan would find.
    for (int square = BOARD_SIZE * BOARD_SIZE - 1; square >= 0; --square) {
        const PieceCode code = Board[square / BOARD_SIZE][square % BOARD_SIZE];
        if (code != WHITE_KING && code != BLACK_KING) continue;
        const Color color = code == WHITE_KING ? WHITE : BLACK;
        ++kings[color];
        kingSquare[color] = square;
    }
    // Moves never add a king, so a side with one king keeps at most one.
    kingsAreUnique = kings[WHITE] <= 1 && kings[BLACK] <= 1;
}

namespace {
// While each side has at most one king, the cached square of a king on the board is its square.
bool kingsFollowed() {
    if (!kingsAreUnique) return true;
    for (int square = 0; square < BOARD_SIZE * BOARD_SIZE; ++square) {
        const PieceCode code = Board[square / BOARD_SIZE][square % BOARD_SIZE];
        if (code == WHITE_KING && kingSquare[WHITE] != square) return false;
        if (code == BLACK_KING && kingSquare[BLACK] != square) return false;
    }
    return true;
}
}  // namespace

void copyPosition(PositionCopy& copy) {
    std::copy(&Board[0][0], &Board[0][0] + BOARD_SIZE * BOARD_SIZE, &copy.board[0][0]);
    copy.sideToMove = sideToMove;
    copy.whiteCastling = whiteCastling;
    copy.blackCastling = blackCastling;
    copy.whiteEpFile = whiteEpFile;
    copy.blackEpFile = blackEpFile;
    copy.nonPawnPieceCount = nonPawnPieceCount;
    copy.halfMoveClock = halfMoveClock;
    copy.currentKey = currentKey;
    copy.gamePly = gamePly;
    std::copy(kingSquare, kingSquare + 2, copy.kingSquare);
    copy.kingsAreUnique = kingsAreUnique;
    copy.packedMaterial = packedMaterial;
    std::copy(pieceBits, pieceBits + PIECE_CODE_COUNT, copy.pieceBits);
    for (int color = 0; color < 2; ++color)
        for (int side = 0; side < CASTLING_SIDES; ++side) copy.castlingRookCol[color][side] = castlingRookCol[color][side];
    copy.chess960Castling = chess960Castling;
    // The entries past gamePly are the search's scratch: the taker writes its own.
    std::copy(GameHistory, GameHistory + gamePly + 1, copy.gameHistory);
    std::copy(PackedMaterialHistory, PackedMaterialHistory + gamePly + 1, copy.packedMaterialHistory);
}

void takePosition(const PositionCopy& copy) {
    std::copy(&copy.board[0][0], &copy.board[0][0] + BOARD_SIZE * BOARD_SIZE, &Board[0][0]);
    sideToMove = copy.sideToMove;
    whiteCastling = copy.whiteCastling;
    blackCastling = copy.blackCastling;
    whiteEpFile = copy.whiteEpFile;
    blackEpFile = copy.blackEpFile;
    nonPawnPieceCount = copy.nonPawnPieceCount;
    halfMoveClock = copy.halfMoveClock;
    currentKey = copy.currentKey;
    gamePly = copy.gamePly;
    std::copy(copy.kingSquare, copy.kingSquare + 2, kingSquare);
    kingsAreUnique = copy.kingsAreUnique;
    packedMaterial = copy.packedMaterial;
    std::copy(copy.pieceBits, copy.pieceBits + PIECE_CODE_COUNT, pieceBits);
    setCastlingRooks(copy.castlingRookCol, copy.chess960Castling);
    std::copy(copy.gameHistory, copy.gameHistory + gamePly + 1, GameHistory);
    std::copy(copy.packedMaterialHistory, copy.packedMaterialHistory + gamePly + 1, PackedMaterialHistory);
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
    if (!kingsFollowed() || !sumsAgree()) return false;
    return currentKey == computeKey() && GameHistory[gamePly] == currentKey;
}

}  // namespace board
