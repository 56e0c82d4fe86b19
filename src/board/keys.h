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

// Five 15-bit draws packed into 64 bits.
HashKey random64();
void initKeys();
HashKey computeKey();

// The castling word as the key sees it: only the two rights bits.
inline int castlingKeyIndex(int word) { return word % CASTLING_KEY_COUNT; }

}  // namespace board
