// The per-ply move lists, and what a move costs in castling rights.
#pragma once

#include "types.h"

namespace movegen {

constexpr int CAPTURE_BASE = 1000;

// One list of MAX_MOVES records per ply; moveCount tells how many are valid.
extern thread_local constinit Move MoveList[MAX_PLY][MAX_MOVES];
extern thread_local constinit int moveCount[MAX_PLY];
extern thread_local constinit int searchPly;

// What a king or rook move from this column takes from the castling word.
int castlingLossFor(PieceCode piece, int fromCol, int castlingWord);
// The same under Chess960 castling, where the rules are kept exactly: the mover's whole word for
// a king move, the right of a rook that leaves its square, and (shifted up, for the opponent's
// word) the right of an opponent's castling rook captured on its square.
int chess960CastlingLoss(const Move& move);

}  // namespace movegen
