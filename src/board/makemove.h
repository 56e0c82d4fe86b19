// Playing a move on the position and taking it back.
#pragma once

#include "types.h"

namespace board {

// Plays the move; fills move.captured for en passant and move.savedEpFile.
// Keeps currentKey incremental and appends it to GameHistory.
void makeMove(Move& move);
// Takes back the very record makeMove received; currentKey is the caller's to restore.
void unmakeMove(const Move& move);
// The same without the material sums (the piece bits are kept), for walks such as perft that
// take every move back before anything reads the sums: they are right again once all moves are
// taken back.
void makeMoveLeavingSums(Move& move);
void unmakeMoveLeavingSums(const Move& move);

}  // namespace board
