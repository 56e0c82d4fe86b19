// Piece values and piece-square tables, drawn as the board is seen from
// White's side (rank 8 on top) and stored indexed [row][column], row 0 = rank 1.
#pragma once

#include <array>

#include "types.h"

namespace eval {

using SquareTable = std::array<std::array<int, BOARD_SIZE>, BOARD_SIZE>;

constexpr int ROOK_VALUE = 500;
constexpr int QUEEN_VALUE = 950;

// Turns a table drawn rank 8 first into one indexed by row (rank 1 first).
constexpr SquareTable fromDrawing(const SquareTable& drawn) {
    SquareTable table{};
    for (int row = 0; row < BOARD_SIZE; ++row) table[row] = drawn[LAST_ROW - row];
    return table;
}

constexpr SquareTable mirrored(const SquareTable& table) { return fromDrawing(table); }

// clang-format off
constexpr SquareTable WhitePawnTable = fromDrawing({{
    {  0,   0,   0,   0,   0,   0,   0,   0},
    {109, 115, 120, 125, 125, 120, 115, 109},
    {106, 110, 114, 118, 118, 114, 110, 106},
    {104, 107, 110, 114, 114, 110, 107, 104},
    {102, 104, 106, 110, 110, 106, 104, 102},
    {101, 102, 104, 106, 106, 104, 102, 101},
    {100, 101, 102, 103, 103, 102, 101, 100},
    {  0,   0,   0,   0,   0,   0,   0,   0},
}});

constexpr SquareTable WhitePawnEndTable = fromDrawing({{
    {  0,   0,   0,   0,   0,   0,   0,   0},
    {190, 200, 200, 200, 200, 200, 200, 190},
    {160, 180, 180, 180, 180, 180, 180, 160},
    {140, 160, 160, 160, 160, 160, 160, 140},
    {130, 140, 140, 140, 140, 140, 140, 130},
    {120, 130, 130, 130, 130, 130, 130, 120},
    {110, 120, 120, 120, 120, 120, 120, 110},
    {  0,   0,   0,   0,   0,   0,   0,   0},
}});

constexpr SquareTable KnightTable = fromDrawing({{
    {302, 300, 304, 304, 304, 304, 300, 302},
    {303, 304, 307, 307, 307, 307, 304, 303},
    {304, 307, 316, 312, 312, 316, 307, 304},
    {304, 307, 312, 320, 320, 312, 307, 304},
    {304, 307, 312, 320, 320, 312, 307, 304},
    {304, 307, 316, 312, 312, 316, 307, 304},
    {303, 304, 307, 307, 307, 307, 304, 303},
    {302, 300, 304, 304, 304, 304, 300, 302},
}});

constexpr SquareTable BishopTable = fromDrawing({{
    {320, 320, 320, 320, 320, 320, 320, 320},
    {320, 328, 322, 322, 322, 322, 328, 320},
    {320, 322, 328, 328, 328, 328, 322, 320},
    {320, 322, 331, 325, 325, 331, 322, 320},
    {320, 322, 331, 325, 325, 331, 322, 320},
    {320, 322, 328, 328, 328, 328, 322, 320},
    {320, 328, 322, 322, 322, 322, 328, 320},
    {320, 320, 320, 320, 320, 320, 320, 320},
}});

constexpr SquareTable WhiteKingTable = fromDrawing({{
    {1910, 1910, 1910, 1910, 1910, 1910, 1910, 1910},
    {1920, 1920, 1920, 1920, 1920, 1920, 1920, 1920},
    {1930, 1930, 1930, 1930, 1930, 1930, 1930, 1930},
    {1940, 1940, 1940, 1940, 1940, 1940, 1940, 1940},
    {1950, 1950, 1950, 1950, 1950, 1950, 1950, 1950},
    {1960, 1960, 1960, 1960, 1960, 1960, 1960, 1960},
    {1970, 1970, 1970, 1970, 1970, 1970, 1970, 1970},
    {1995, 1995, 2000, 1980, 1980, 1980, 2000, 1995},
}});

constexpr SquareTable WhiteKingEndTable = fromDrawing({{
    {2000, 2000, 2000, 2000, 2000, 2000, 2000, 2000},
    {2000, 2020, 2020, 2020, 2020, 2020, 2020, 2000},
    {2000, 2020, 2040, 2040, 2040, 2040, 2020, 2000},
    {2000, 2020, 2040, 2050, 2050, 2040, 2020, 2000},
    {2000, 2020, 2040, 2050, 2050, 2040, 2020, 2000},
    {2000, 2020, 2040, 2040, 2040, 2040, 2020, 2000},
    {2000, 2020, 2020, 2020, 2020, 2020, 2020, 2000},
    {2000, 2000, 2000, 2000, 2000, 2000, 2000, 2000},
}});
// clang-format on

// Black's tables are White's mirrored top to bottom.
constexpr SquareTable BlackPawnTable = mirrored(WhitePawnTable);
constexpr SquareTable BlackPawnEndTable = mirrored(WhitePawnEndTable);
constexpr SquareTable BlackKingTable = mirrored(WhiteKingTable);
constexpr SquareTable BlackKingEndTable = WhiteKingEndTable;

static_assert(BlackPawnTable[6][3] == 103 && BlackPawnTable[1][4] == 125);
static_assert(WhiteKingTable[0][2] == 2000 && BlackKingTable[7][6] == 2000);
static_assert(KnightTable == mirrored(KnightTable), "one knight table serves both colours");
static_assert(BishopTable == mirrored(BishopTable), "one bishop table serves both colours");
static_assert(WhiteKingEndTable == mirrored(WhiteKingEndTable));

// Material and table value by piece code and square: white positive, black
// negative, kings and empty squares 0. One look-up on the generator's hot path.
using PieceSquareValues = std::array<SquareTable, PIECE_CODE_COUNT>;

constexpr PieceSquareValues buildPieceSquareValues() {
    PieceSquareValues values{};
    for (int row = 0; row < BOARD_SIZE; ++row) {
        for (int col = 0; col < BOARD_SIZE; ++col) {
            values[WHITE_PAWN][row][col] = WhitePawnTable[row][col];
            values[BLACK_PAWN][row][col] = -BlackPawnTable[row][col];
            values[WHITE_KNIGHT][row][col] = KnightTable[row][col];
            values[BLACK_KNIGHT][row][col] = -KnightTable[row][col];
            values[WHITE_BISHOP][row][col] = BishopTable[row][col];
            values[BLACK_BISHOP][row][col] = -BishopTable[row][col];
            values[WHITE_ROOK][row][col] = ROOK_VALUE;
            values[BLACK_ROOK][row][col] = -ROOK_VALUE;
            values[WHITE_QUEEN][row][col] = QUEEN_VALUE;
            values[BLACK_QUEEN][row][col] = -QUEEN_VALUE;
        }
    }
    return values;
}

constexpr PieceSquareValues PIECE_SQUARE_VALUES = buildPieceSquareValues();

// The same with the pawn and king tables of one game phase: what a piece on a square adds to
// that phase's material sum, white positive, black negative, empty squares 0.
constexpr PieceSquareValues buildPhaseValues(const SquareTable& whitePawn, const SquareTable& blackPawn,
                                             const SquareTable& whiteKing, const SquareTable& blackKing) {
    PieceSquareValues values = buildPieceSquareValues();
    for (int row = 0; row < BOARD_SIZE; ++row) {
        for (int col = 0; col < BOARD_SIZE; ++col) {
            values[WHITE_PAWN][row][col] = whitePawn[row][col];
            values[BLACK_PAWN][row][col] = -blackPawn[row][col];
            values[WHITE_KING][row][col] = whiteKing[row][col];
            values[BLACK_KING][row][col] = -blackKing[row][col];
        }
    }
    return values;
}

constexpr PieceSquareValues MIDDLEGAME_VALUES =
    buildPhaseValues(WhitePawnTable, BlackPawnTable, WhiteKingTable, BlackKingTable);
constexpr PieceSquareValues ENDGAME_VALUES =
    buildPhaseValues(WhitePawnEndTable, BlackPawnEndTable, WhiteKingEndTable, BlackKingEndTable);

}  // namespace eval
