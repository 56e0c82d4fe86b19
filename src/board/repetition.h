// Repetition test against the game's key history.
#pragma once

namespace board {

// At the root a third occurrence counts, below it a second one.
bool isRepetition();

}  // namespace board
