// A slot is replaced only by a strictly deeper result; clearing resets depths only.
#include "search/transposition.h"

#include "board/position.h"

namespace search {

TranspositionEntry TranspositionTable[TT_SIZE];

TranspositionEntry& transpositionSlot() { return TranspositionTable[board::currentKey % TT_SIZE]; }

void clearTranspositionTable() {
    for (TranspositionEntry& entry : TranspositionTable) entry.depth = 0;
}

int probeTransposition(std::uint8_t depth, int alpha, int beta, Move& moveOut) {
    const TranspositionEntry& entry = transpositionSlot();
    if (entry.key != board::currentKey || entry.depth < depth) return NO_HASH_VALUE;
    moveOut = entry.move;
    if (entry.bound == BOUND_EXACT) return entry.value;
    if (entry.bound == BOUND_UPPER && entry.value <= alpha) return alpha;
    if (entry.bound == BOUND_LOWER && entry.value >= beta) return beta;
    return NO_HASH_VALUE;
}

void storeTransposition(std::uint8_t depth, int value, std::uint8_t bound, Move move) {
    TranspositionEntry& entry = transpositionSlot();
    if (entry.depth >= depth) return;
    entry.key = board::currentKey;
    entry.value = value;
    entry.bound = bound;
    entry.depth = depth;
    entry.move = move;
}

void setTranspositionValue(int value) { transpositionSlot().value = value; }

}  // namespace search
