// Helpers shared by the tests: a fresh engine, and positions set from FEN text.
#pragma once

#include <string>
#include <vector>

#include "types.h"

namespace testing_support {

// Start-up with a fixed seed and no book file, so every test sees the same keys.
void freshEngine();
// Sets the position from a FEN (placement, side, castling, en-passant square);
// the en-passant square sets the file of the pawn that has just advanced.
void setPosition(const std::string& fen);
// The legal moves of the side to move as coordinate texts, in generation order.
std::vector<std::string> legalMoveTexts();
// Plays a coordinate move through the generator (it must be legal).
void playMove(const std::string& text);
std::string moveText(const Move& move);

}  // namespace testing_support
