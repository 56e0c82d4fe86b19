// The console's game as PGN: the seven tags, SetUp and FEN when it began from a loaded
// position, the moves in SAN and the result.
#pragma once

#include "board/position.h"

namespace frontend {

// Who made each game move at the console (true: the engine), for the White and Black tags.
// Entries below gamePly are the game's; every move made writes its own.
extern bool EngineMoves[board::GAME_HISTORY_SIZE];
// Notes the move just made (the game's last) as the engine's or the person's.
void recordMover(bool engine);

// Prints the game so far. The position is taken back to the game's start and played
// forward again to write each move, and ends exactly as it was.
void printGamePgn();

}  // namespace frontend
