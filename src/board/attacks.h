// Is a king attacked, and was the move just made legal.
#pragma once

#include <cstdint>

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

// Legality decided before the move is made, for perft's last level, which counts moves without
// making them. Out of check, only a king step, en passant (not covered here), castling (not
// covered here) or a pinned piece leaving its line can expose the king.
// The square of the side to move's king when it stands alone, found and not in check; otherwise
// NO_KING_SQUARE, and every move needs the full test after making it.
int kingSquareOutOfCheck();
// The side to move's pieces that alone stand between its king and an enemy slider of that line.
std::uint64_t pinnedPieces(int king);
// For a move neither en passant nor castling, with king and pinned from the two above.
bool isLegalBeforeMake(const Move& move, int king, std::uint64_t pinned);

}  // namespace board
