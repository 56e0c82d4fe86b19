// The engine's shared vocabulary: piece codes, colours, the move record and
// the bounds every subsystem agrees on. Nothing here owns state.
#pragma once

#include <cstdint>

using PieceCode = std::int32_t;
using HashKey = std::uint64_t;
using Color = std::uint8_t;

// Black codes below EMPTY, white codes above; white = 12 - black of the same kind.
constexpr PieceCode BLACK_PAWN = 0;
constexpr PieceCode BLACK_KING = 1;
constexpr PieceCode BLACK_QUEEN = 2;
constexpr PieceCode BLACK_BISHOP = 3;
constexpr PieceCode BLACK_KNIGHT = 4;
constexpr PieceCode BLACK_ROOK = 5;
constexpr PieceCode EMPTY = 6;
constexpr PieceCode WHITE_ROOK = 7;
constexpr PieceCode WHITE_KNIGHT = 8;
constexpr PieceCode WHITE_BISHOP = 9;
constexpr PieceCode WHITE_QUEEN = 10;
constexpr PieceCode WHITE_KING = 11;
constexpr PieceCode WHITE_PAWN = 12;
constexpr int PIECE_CODE_COUNT = 13;

static_assert(WHITE_PAWN == 12 - BLACK_PAWN && WHITE_KING == 12 - BLACK_KING &&
              WHITE_QUEEN == 12 - BLACK_QUEEN && WHITE_BISHOP == 12 - BLACK_BISHOP &&
              WHITE_KNIGHT == 12 - BLACK_KNIGHT && WHITE_ROOK == 12 - BLACK_ROOK);

constexpr bool isBlackPiece(PieceCode code) { return code < EMPTY; }
constexpr bool isWhitePiece(PieceCode code) { return code > EMPTY; }
// Queens, rooks, bishops and knights: the pieces counted in nonPawnPieceCount.
constexpr bool isBlackOfficer(PieceCode code) { return code >= BLACK_QUEEN && code <= BLACK_ROOK; }
constexpr bool isWhiteOfficer(PieceCode code) { return code >= WHITE_ROOK && code <= WHITE_QUEEN; }
constexpr bool isOfficer(PieceCode code) { return isBlackOfficer(code) || isWhiteOfficer(code); }

constexpr Color BLACK = 0;
constexpr Color WHITE = 1;

constexpr int BOARD_SIZE = 8;
constexpr int FIRST_ROW = 0;
constexpr int LAST_ROW = BOARD_SIZE - 1;
constexpr int FIRST_COL = 0;
constexpr int LAST_COL = BOARD_SIZE - 1;
constexpr bool onBoard(int row, int col) {
    return row >= FIRST_ROW && row <= LAST_ROW && col >= FIRST_COL && col <= LAST_COL;
}

constexpr int NO_EP_FILE = 8;
constexpr int CASTLE_KINGSIDE = 1;
constexpr int CASTLE_QUEENSIDE = 2;
constexpr int CASTLE_BOTH = CASTLE_KINGSIDE | CASTLE_QUEENSIDE;
constexpr int KING_START_COL = 4;
constexpr int KINGSIDE_KING_COL = 6;
constexpr int QUEENSIDE_KING_COL = 2;
constexpr int KINGSIDE_ROOK_COL = 7;
constexpr int QUEENSIDE_ROOK_COL = 0;
constexpr int KINGSIDE_ROOK_TO_COL = 5;
constexpr int QUEENSIDE_ROOK_TO_COL = 3;

// Plies that have their own move list, killer slots and PV row.
constexpr int MAX_PLY = 30;
// Room for every pseudo-legal move a position can have (the most known is 218).
constexpr int MAX_MOVES = 256;

// The one record in which a move travels; copied whole. Every field but the castling loss and the
// score fits a byte (squares, piece codes, flags, a file), so a record is 16 bytes: the lists the
// search scans and swaps hold four to a cache line.
struct Move {
    std::int8_t piece;
    std::int8_t fromRow;
    std::int8_t fromCol;
    std::int8_t toRow;
    std::int8_t toCol;
    std::int8_t promotion;
    std::int8_t captured;
    std::uint8_t enPassant;
    std::int8_t savedEpFile;
    std::uint8_t castling;
    std::int16_t castlingLoss;
    std::int32_t score;
};
static_assert(sizeof(Move) == 16, "a move record is 16 bytes");

// What tells one move from another, squares and promotion, in one word: the five adjacent bytes
// are laid side by side, which the compiler reads as a single load.
constexpr std::uint64_t moveIdentity(const Move& move) {
    const auto byte = [](std::int8_t field) { return std::uint64_t{static_cast<std::uint8_t>(field)}; };
    return byte(move.fromRow) | byte(move.fromCol) << 8 | byte(move.toRow) << 16 | byte(move.toCol) << 24 |
           byte(move.promotion) << 32;
}

// Two records denote the same move when squares and promotion agree.
constexpr bool sameMove(const Move& a, const Move& b) { return moveIdentity(a) == moveIdentity(b); }
