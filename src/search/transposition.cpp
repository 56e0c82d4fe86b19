// A slot is replaced only by a strictly deeper result; clearing resets depths only,
// and only where a store has written.
#include "search/transposition.h"

#include "board/position.h"

namespace search {

TranspositionEntry TranspositionTable[TT_SIZE];
bool WrittenBlocks[TT_CLEAR_BLOCKS];

TranspositionEntry& transpositionSlot() { return TranspositionTable[board::currentKey % TT_SIZE]; }

void clearTranspositionTable() {
    for (int block = 0; block < TT_CLEAR_BLOCKS; ++block) {
        if (!WrittenBlocks[block]) continue;
        const int first = block * TT_CLEAR_BLOCK_SLOTS;
        const int last = first + TT_CLEAR_BLOCK_SLOTS < TT_SIZE ? first + TT_CLEAR_BLOCK_SLOTS : TT_SIZE;
        for (int slot = first; slot < last; ++slot) TranspositionTable[slot].depth = 0;
        WrittenBlocks[block] = false;
    }
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
    WrittenBlocks[(&entry - TranspositionTable) / TT_CLEAR_BLOCK_SLOTS] = true;
}

void setTranspositionValue(int value) { transpositionSlot().value = value; }

}  // namespace search
