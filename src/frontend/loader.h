// Setting up a position from the first fields of a FEN line.
#pragma once

#include "types.h"

namespace frontend {

// 79 characters of the file's first line and the terminator.
constexpr int POSITION_LINE_SIZE = 80;

struct LoadedPosition {
    PieceCode board[BOARD_SIZE][BOARD_SIZE];
    Color side;
    int whiteCastling;
    int blackCastling;
    int nonPawnPieces;
};

// Reads a placement field; false unless it describes exactly eight ranks of
// eight squares. Characters that are neither pieces, digits 1-8 nor "/" are skipped.
bool parsePlacement(const char* placement, LoadedPosition& position);
// Castling letters K, Q, k, q; anything else adds nothing.
void parseCastling(const char* castling, LoadedPosition& position);
// Makes the parsed position the game's start: no en-passant file, counters at 0, book off.
void installPosition(const LoadedPosition& position);
// "init" starts a new game; otherwise the argument names a position file.
void loadPosition(const char* argument);

}  // namespace frontend
