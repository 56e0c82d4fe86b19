// Zobrist key tables and the from-scratch key of the current position.
#pragma once

#include "types.h"

namespace board {

constexpr int CASTLING_KEY_COUNT = 4;
constexpr int EP_KEY_COUNT = NO_EP_FILE + 1;

extern HashKey pieceSquareKeys[PIECE_CODE_COUNT][BOARD_SIZE][BOARD_SIZE];
extern HashKey sideKeys[2];
extern HashKey blackEpKeys[EP_KEY_COUNT];
extern HashKey whiteEpKeys[EP_KEY_COUNT];
extern HashKey whiteCastlingKeys[CASTLING_KEY_COUNT];
extern HashKey blackCastlingKeys[CASTLING_KEY_COUNT];
// The castling part of the key by colour and rights (mod 4), for this thread's position: the
// tables above, and for each right whose rook starts off its corner a further key for that
// rook's file, so positions that differ only in which rook may castle never share a key.
// Standard rooks add nothing, so standard positions keep their keys.
extern thread_local constinit HashKey castlingKeys[2][CASTLING_KEY_COUNT];

// Five 15-bit draws packed into 64 bits.
HashKey random64();
void initKeys();
HashKey computeKey();
// Derives castlingKeys from the tables and the castling rooks; called whenever either changes.
void rebuildCastlingKeys();

// The castling word as the key sees it: only the two rights bits.
inline int castlingKeyIndex(int word) { return word % CASTLING_KEY_COUNT; }

}  // namespace board
