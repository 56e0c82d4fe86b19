// Each level uses the move list of its own ply; the key is saved and restored around every move.
#include "board/perft.h"

#include "board/attacks.h"
#include "board/makemove.h"
#include "board/position.h"
#include "movegen/generate.h"
#include "movegen/movelist.h"
#include "search/pv.h"

namespace board {

int maxPerftDepth() { return MAX_PLY - movegen::searchPly; }

// Flattened: generation, make, the legality test and unmake are inlined into each level.
[[gnu::flatten]] void perft(int depth) {
    if (depth <= 0) return;
    using movegen::searchPly;
    movegen::moveCount[searchPly] = 0;
    movegen::generateMoves();
    const bool inCheck = isKingAttacked(opponentOf(sideToMove));
    for (int index = 0; index < movegen::moveCount[searchPly]; ++index) {
        Move& move = movegen::MoveList[searchPly][index];
        const HashKey savedKey = currentKey;
        makeMoveLeavingSums(move);
        if (isLegalAfterMake(move, inCheck)) {
            ++search::nodeCount;
            if (depth > 1) {
                ++searchPly;
                perft(depth - 1);
                --searchPly;
            }
        }
        unmakeMoveLeavingSums(move);
        currentKey = savedKey;
    }
}

}  // namespace board
