// The transposition table: 2,000,000 directly mapped slots, depth-preferred.
#pragma once

#include <cstddef>
#include <cstdint>

#include "types.h"

namespace search {

constexpr std::uint8_t BOUND_EXACT = 0;
constexpr std::uint8_t BOUND_UPPER = 1;
constexpr std::uint8_t BOUND_LOWER = 2;
constexpr int TT_SIZE = 2000000;
constexpr int NO_HASH_VALUE = -3000000;

struct TranspositionEntry {
    HashKey key;
    std::uint8_t bound;
    std::uint8_t depth;  // 0: empty
    std::int32_t value;
    Move move;
};
static_assert(sizeof(TranspositionEntry) == 48, "a slot is 48 bytes");

// The table starts on a page, so that its blocks below are the memory's own pages.
constexpr std::size_t TT_CLEAR_BLOCK_BYTES = 4096;
alignas(TT_CLEAR_BLOCK_BYTES) extern TranspositionEntry TranspositionTable[TT_SIZE];

// The table in blocks of one page (of most machines); a block holds the depth bytes of
// the slots whose depth lies in it.
constexpr std::size_t TT_CLEAR_BLOCKS = (sizeof(TranspositionEntry) * TT_SIZE + TT_CLEAR_BLOCK_BYTES - 1) / TT_CLEAR_BLOCK_BYTES;
// Blocks a store has written since the last clear: only there can a depth be non-zero.
extern bool WrittenBlocks[TT_CLEAR_BLOCKS];

// The slot a key maps to.
inline TranspositionEntry& slotOf(HashKey key) { return TranspositionTable[key % TT_SIZE]; }
// The slot of currentKey; its move is read for ordering without a key check.
TranspositionEntry& transpositionSlot();
// Every slot's depth becomes 0 (keys, values and moves stay), written only in the blocks
// stored into since the last clear: a page the search never wrote is never touched, and
// a new game after little play costs little.
void clearTranspositionTable();
int probeTransposition(std::uint8_t depth, int alpha, int beta, Move& moveOut);
void storeTransposition(std::uint8_t depth, int value, std::uint8_t bound, Move move);
void setTranspositionValue(int value);

}  // namespace search
