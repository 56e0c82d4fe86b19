// Scans back no further than the last capture or pawn move, never below entry 0.
#include "board/repetition.h"

#include "board/position.h"
#include "movegen/movelist.h"

namespace board {

namespace {
constexpr int ROOT_REPEATS_FOR_DRAW = 2;
constexpr int TREE_REPEATS_FOR_DRAW = 1;
}  // namespace

bool isRepetition() {
    int count = 0;
    int lowest = gamePly - halfMoveClock;
    if (lowest < 0) lowest = 0;
    for (int index = gamePly - 1; index >= lowest; --index)
        if (GameHistory[index] == currentKey) ++count;
    return count >= (movegen::searchPly == 0 ? ROOT_REPEATS_FOR_DRAW : TREE_REPEATS_FOR_DRAW);
}

}  // namespace board
