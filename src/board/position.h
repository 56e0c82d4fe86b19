// The one position the engine knows: board, side to move, castling words,
// en-passant files, counters, key and the game's key history.
#pragma once

#include <cstdint>

#include "types.h"

namespace board {

// Room for the longest game the fifty-move rule allows (about 11,900 plies) plus
// the deepest search path; game moves are refused once gamePly reaches
// MAX_GAME_PLY, so the search never writes past the table.
constexpr int GAME_HISTORY_SIZE = 16384;
constexpr int MAX_GAME_PLY = GAME_HISTORY_SIZE - MAX_PLY - 2;

constexpr int START_CASTLING = CASTLE_BOTH;
constexpr int START_NON_PAWN_PIECES = 14;

extern thread_local constinit PieceCode Board[BOARD_SIZE][BOARD_SIZE];
extern thread_local constinit Color sideToMove;
extern thread_local constinit int whiteCastling;
extern thread_local constinit int blackCastling;
extern thread_local constinit int whiteEpFile;
extern thread_local constinit int blackEpFile;
extern thread_local constinit int nonPawnPieceCount;
extern thread_local constinit int halfMoveClock;
extern thread_local constinit HashKey currentKey;
extern thread_local constinit HashKey GameHistory[GAME_HISTORY_SIZE];
extern thread_local constinit int gamePly;

// Where each side's king stands (indexed by Color), kept by makeMove and
// unmakeMove so the attack test need not scan the board. Trusted only while
// kingsAreUnique holds and the square still holds that king.
constexpr int NO_KING_SQUARE = BOARD_SIZE * BOARD_SIZE;
extern thread_local constinit int kingSquare[2];
extern thread_local constinit bool kingsAreUnique;
// Material and piece-square sums of the board with each phase's tables, White positive, and
// where each piece code stands, a bit per square (row * 8 + column, so rising bits follow the
// board's scan order; the bits of EMPTY are not kept). Kept by makeMove and unmakeMove, so
// the evaluation, the futility test and the generators need not scan the board.
// Both sums travel in one word, the end-game sum in the high half: one addition per piece.
extern thread_local constinit std::int64_t packedMaterial;
extern thread_local constinit std::uint64_t pieceBits[PIECE_CODE_COUNT];
// Halves of 32 bits: a board loaded by hand may hold 64 queens, far past 16 bits a half.
constexpr int PACKED_HALF_SHIFT = 32;
constexpr std::int64_t PACKED_LOW_HALF = (std::int64_t{1} << PACKED_HALF_SHIFT) - 1;
inline int middlegameMaterial() { return static_cast<std::int32_t>(packedMaterial & PACKED_LOW_HALF); }
inline int endgameMaterial() {
    // The low half is signed: a negative one borrowed from the high half, which this gives back.
    return static_cast<int>((packedMaterial - middlegameMaterial()) >> PACKED_HALF_SHIFT);
}
// Call after the board is set wholesale: finds the kings and whether each side has exactly
// one, and counts the material sums and piece bits afresh.
void locateKings();
// Keeps the sums and piece bits when a piece code is put on or taken off a square.
void addToSums(PieceCode code, int row, int col);
void takeFromSums(PieceCode code, int row, int col);
inline void flipPieceBit(PieceCode code, int row, int col) {
    pieceBits[code] ^= std::uint64_t{1} << (row * BOARD_SIZE + col);
}
// Every piece's square, from the piece bits.
inline std::uint64_t occupiedSquares() {
    std::uint64_t occupied = 0;
    for (PieceCode code = 0; code < PIECE_CODE_COUNT; ++code)
        if (code != EMPTY) occupied |= pieceBits[code];
    return occupied;
}
// One side's pieces' squares: the codes of a colour are consecutive (black below EMPTY, white above).
inline std::uint64_t sideSquares(Color side) {
    const PieceCode first = side == WHITE ? WHITE_ROOK : BLACK_PAWN;
    const PieceCode last = side == WHITE ? WHITE_PAWN : BLACK_ROOK;
    std::uint64_t squares = 0;
    for (PieceCode code = first; code <= last; ++code) squares |= pieceBits[code];
    return squares;
}
// The packed sums at each game ply, saved by makeMove so that unmakeMove puts them back.
extern thread_local constinit std::int64_t PackedMaterialHistory[GAME_HISTORY_SIZE];

// Sets everything but halfMoveClock and gamePly to a new game; returns the start key.
HashKey setupInitialPosition();
// Chess960's start positions, numbered 0 to 959 as is usual (518 is the standard start).
constexpr int CHESS960_POSITIONS = 960;
constexpr int STANDARD_CHESS960_NUMBER = 518;
// The back row of start number (white codes, file a first).
void chess960BackRow(int number, PieceCode (&row)[BOARD_SIZE]);
// The same as setupInitialPosition with the back rows of the start number; both sides may castle
// with the rooks where they stand.
HashKey setupChess960Position(int number);

// The colour to move next after the current side.
inline Color opponentOf(Color side) { return side ? BLACK : WHITE; }

// The position with the game's keys and sums up to gamePly: what a search thread needs to take
// up the position another thread stands on.
struct PositionCopy {
    PieceCode board[BOARD_SIZE][BOARD_SIZE];
    Color sideToMove;
    int whiteCastling;
    int blackCastling;
    int whiteEpFile;
    int blackEpFile;
    int nonPawnPieceCount;
    int halfMoveClock;
    HashKey currentKey;
    int gamePly;
    int kingSquare[2];
    bool kingsAreUnique;
    std::int64_t packedMaterial;
    std::uint64_t pieceBits[PIECE_CODE_COUNT];
    int castlingRookCol[2][2];
    bool chess960Castling;
    HashKey gameHistory[GAME_HISTORY_SIZE];
    std::int64_t packedMaterialHistory[GAME_HISTORY_SIZE];
};
void copyPosition(PositionCopy& copy);
// Sets this thread's position to the copy.
void takePosition(const PositionCopy& copy);

// Debug check: counts, ranges and key agree with the board.
bool positionIsConsistent();

}  // namespace board
