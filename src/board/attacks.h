// Is a king attacked, and was the move just made legal.
#pragma once

#include "types.h"

namespace board {

// attacker non-zero: is the black king attacked by white; zero: the white king by black.
bool isKingAttacked(Color attacker);
bool whiteKingAttacked();
bool blackKingAttacked();
bool knightAttacks(int row, int col, PieceCode knight);
// Called right after makeMove with the same record; leaves the position as it is.
bool isLegalAfterMake(const Move& move);
// The same answer, faster, for a caller that knows whether the mover was in check before the move.
bool isLegalAfterMake(const Move& move, bool moverWasInCheck);

}  // namespace board
