// The transposition table: 2,000,000 directly mapped slots, depth-preferred.
#pragma once

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

extern TranspositionEntry TranspositionTable[TT_SIZE];

// Slots per block of the table that a store marks as written, 48 KiB.
constexpr int TT_CLEAR_BLOCK_SLOTS = 1024;
constexpr int TT_CLEAR_BLOCKS = (TT_SIZE + TT_CLEAR_BLOCK_SLOTS - 1) / TT_CLEAR_BLOCK_SLOTS;
// Blocks a store has written since the last clear: only their depths can be non-zero.
extern bool WrittenBlocks[TT_CLEAR_BLOCKS];

// The slot of currentKey; its move is read for ordering without a key check.
TranspositionEntry& transpositionSlot();
// Every slot's depth becomes 0 (keys, values and moves stay), written only in the blocks
// stored into since the last clear: untouched pages stay untouched, and a new game
// after little play costs little.
void clearTranspositionTable();
int probeTransposition(std::uint8_t depth, int alpha, int beta, Move& moveOut);
void storeTransposition(std::uint8_t depth, int value, std::uint8_t bound, Move move);
void setTranspositionValue(int value);

}  // namespace search
