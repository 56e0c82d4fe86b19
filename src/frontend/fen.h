// Positions as FEN text: read (the console's first three fields, or all six) with
// one set of checks, installed as a game's first position, and written back.
#pragma once

#include "frontend/words.h"
#include "types.h"

namespace frontend {

// The longest FEN the writer produces (placement 71, the other fields under 30) and room to spare.
constexpr int FEN_TEXT_SIZE = 128;

struct LoadedPosition {
    PieceCode board[BOARD_SIZE][BOARD_SIZE];
    Color side;
    int whiteCastling;
    int blackCastling;
    int nonPawnPieces;
    // Read from six fields only; a position built from fewer has none, 0 and 1.
    int whiteEpFile = NO_EP_FILE;
    int blackEpFile = NO_EP_FILE;
    int halfMoves = 0;
    int moveNumber = 1;
    // Where each right's rook starts, by colour and side (king-side first), and whether the
    // rights ask for Chess960 castling; set by parseCastling from the placement.
    int castlingRookCol[2][2] = {{KINGSIDE_ROOK_COL, QUEENSIDE_ROOK_COL}, {KINGSIDE_ROOK_COL, QUEENSIDE_ROOK_COL}};
    bool chess960Castling = false;
};

// Which fields are read: a position file gives the first three (the rest of its line is
// ignored), a UCI "position fen" all six (missing trailing fields read as "-", 0 and 1).
enum class FenFields { FIRST_THREE, ALL_SIX };

// Reads a placement field; false unless it describes exactly eight ranks of
// eight squares. Characters that are neither pieces, digits 1-8 nor "/" are skipped.
bool parsePlacement(const char* placement, LoadedPosition& position);
// A board the engine can play needs exactly one king a side.
bool hasOneKingEach(const LoadedPosition& position);
// One king a side and no pawn on the first or last rank.
bool hasPlayablePlacement(const LoadedPosition& position);
// A board the search can play from: a playable placement, and the side not to move not in
// check (its king could be taken). The game's position is untouched.
bool isPlayablePosition(const LoadedPosition& position);
// The castling field, read against the placement (parsed first): K and Q (k, q) name the
// outermost rook on that side of the king, a file letter A-H (a-h) the rook on that file (X-FEN and
// Shredder-FEN). A file letter that names no rook of that colour beside its king on the back rank
// adds nothing; K and Q without such a rook add the bit as they always did, which never castles.
// Anything else adds nothing.
void parseCastling(const char* castling, LoadedPosition& position);
// Reads count FEN fields starting at words.word[first]; nullptr when they make a
// position, else the reason they do not (position is then scratch).
const char* readFen(const Words& words, int first, int count, FenFields fields, LoadedPosition& position);
// Makes the position the game's first: a new key history, nothing to take back, book off.
void installPosition(const LoadedPosition& position);
// The current position as six FEN fields, castling rights as the engine holds them: K and Q
// (k, q), or X-FEN's file letter for a Chess960 rook with another rook further out.
void writeFen(char (&text)[FEN_TEXT_SIZE]);

}  // namespace frontend
