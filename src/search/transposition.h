// The transposition table: directly mapped slots, depth-preferred; 2,000,000 of them
// unless the user asks for another size.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <limits>

#include "types.h"

namespace search {

constexpr std::uint8_t BOUND_EXACT = 0;
constexpr std::uint8_t BOUND_UPPER = 1;
constexpr std::uint8_t BOUND_LOWER = 2;
// The default table, and the sizes a user may ask for, in MB of 1,000,000 bytes: a slot is
// 16 bytes, so the default 32 MB is exactly the 2,000,000 slots the search was tuned with.
constexpr int TT_SIZE = 2000000;
constexpr std::size_t TT_BYTES_PER_MB = 1000000;
constexpr std::size_t TT_DEFAULT_MB = 32;
constexpr std::size_t TT_MIN_MB = 1;
constexpr std::size_t TT_MAX_MB = 65536;
constexpr int NO_HASH_VALUE = -3000000;

// A stored move keeps what the engine ever reads of a table move: its squares and its
// promotion (ordering, the line and the printed moves compare or replay only those).
// Packed into 16 bits, a slot fits four to a cache line and the table in 32 MB.
using PackedMove = std::uint16_t;
constexpr int PACKED_SQUARE_BITS = 6;
constexpr int PACKED_TO_SHIFT = PACKED_SQUARE_BITS;
constexpr int PACKED_PROMOTION_SHIFT = 2 * PACKED_SQUARE_BITS;
constexpr PackedMove PACKED_SQUARE_MASK = (1 << PACKED_SQUARE_BITS) - 1;
static_assert(PIECE_CODE_COUNT <= (1 << (std::numeric_limits<PackedMove>::digits - PACKED_PROMOTION_SHIFT)),
              "a promotion code fits the top bits");

constexpr PackedMove packMove(const Move& move) {
    const int from = move.fromRow * BOARD_SIZE + move.fromCol;
    const int to = move.toRow * BOARD_SIZE + move.toCol;
    return static_cast<PackedMove>(from | to << PACKED_TO_SHIFT | move.promotion << PACKED_PROMOTION_SHIFT);
}

// The move's squares and promotion; every other field as in Move{}, so a never-written
// slot reads as the zero move it always was.
constexpr Move unpackMove(PackedMove packed) {
    const int from = packed & PACKED_SQUARE_MASK;
    const int to = packed >> PACKED_TO_SHIFT & PACKED_SQUARE_MASK;
    Move move{};
    move.fromRow = static_cast<std::int8_t>(from / BOARD_SIZE);
    move.fromCol = static_cast<std::int8_t>(from % BOARD_SIZE);
    move.toRow = static_cast<std::int8_t>(to / BOARD_SIZE);
    move.toCol = static_cast<std::int8_t>(to % BOARD_SIZE);
    move.promotion = packed >> PACKED_PROMOTION_SHIFT;
    return move;
}

// What a slot says of its position, in one 64-bit word.
struct TranspositionData {
    std::int32_t value;
    std::uint8_t bound;
    std::uint8_t depth;  // 0: empty
    PackedMove move;
};
static_assert(sizeof(TranspositionData) == sizeof(std::uint64_t));

// Threads share the table without a lock. A slot is two words, each read and written whole
// (as atomics while a search runs); the key is kept mixed with the data word, so a slot torn by
// two threads' stores fails its key check instead of handing one position another's value or
// move (checked reads, not locks).
struct TranspositionEntry {
    std::uint64_t keyMixedWithData;
    std::uint64_t data;
};
static_assert(sizeof(TranspositionEntry) == 16, "a slot is 16 bytes: four to a cache line");

// The table starts on a 2 MiB boundary, so all of it can lie in large pages; its memory
// comes from the system untouched, and a page is only backed once a store writes to it.
constexpr std::size_t TT_CLEAR_BLOCK_BYTES = 4096;
constexpr std::size_t TT_ALIGNMENT = std::size_t{2} << 20;
static_assert(TT_ALIGNMENT % TT_CLEAR_BLOCK_BYTES == 0);
static_assert(TT_DEFAULT_MB * TT_BYTES_PER_MB / sizeof(TranspositionEntry) == TT_SIZE);
extern TranspositionEntry* TranspositionTable;
extern std::size_t transpositionSlots;

// The slot a key maps to. The default size is a constant divisor, which the compiler turns
// into a multiplication; only another size pays for a division.
inline std::size_t slotIndex(HashKey key) {
    if (transpositionSlots == TT_SIZE) [[likely]]
        return static_cast<std::size_t>(key % TT_SIZE);
    return static_cast<std::size_t>(key % transpositionSlots);
}
inline TranspositionEntry& slotOf(HashKey key) { return TranspositionTable[slotIndex(key)]; }
// A table of this many MB (TT_MIN_MB to TT_MAX_MB), empty; false when the memory cannot
// be had, and the old table then stays as it was. The same size again changes nothing.
bool resizeTranspositionTable(std::size_t megabytes);
std::size_t transpositionMegabytes();
// Per mille of a fixed sample of slots stored into since the last clear.
int hashFullPermille();
// What the slot of currentKey holds, whichever position it belongs to: ordering reads its
// move without a key check.
TranspositionData transpositionSlot();
// The move of key's slot when the slot belongs to key and holds a result; reads only (no store,
// no replacement effect), for the printing layer that continues a line from the table.
bool storedMoveOf(HashKey key, Move& move);
// Every slot's depth becomes 0 (keys, values and moves stay), written only in the blocks
// stored into since the last clear: a page the search never wrote is never touched, and
// a new game after little play costs little.
void clearTranspositionTable();
// Has the system back every page of the table now, keeping what it holds, so that the first
// search does not stop at each page it meets. Called where an interface waits (before
// "readyok", before the features end) and before a think; only the first call after the table
// is mapped does anything. Not while a search runs.
void prepareTranspositionTable();
int probeTransposition(std::uint8_t depth, int alpha, int beta, Move& moveOut);
void storeTransposition(std::uint8_t depth, int value, std::uint8_t bound, Move move);
void setTranspositionValue(int value);

}  // namespace search
