// A slot is replaced only by a strictly deeper result; clearing resets depths only,
// and only where a store has written.
#include "search/transposition.h"

#include <cstddef>
#include <cstdint>

#if defined(__linux__)
#include <sys/mman.h>
#endif

#include "board/position.h"

namespace search {

alignas(TT_ALIGNMENT) TranspositionEntry TranspositionTable[TT_SIZE];
bool WrittenBlocks[TT_CLEAR_BLOCKS];

namespace {

constexpr std::size_t DEPTH_OFFSET = offsetof(TranspositionEntry, depth);

std::size_t blockOfDepth(const TranspositionEntry& entry) {
    return static_cast<std::size_t>(reinterpret_cast<const char*>(&entry.depth) -
                                    reinterpret_cast<const char*>(TranspositionTable)) /
           TT_CLEAR_BLOCK_BYTES;
}

// The first slot whose depth byte lies in the block (or past it, for the block after the last).
std::size_t firstSlotOfBlock(std::size_t block) {
    const std::size_t start = block * TT_CLEAR_BLOCK_BYTES;
    if (start <= DEPTH_OFFSET) return 0;
    const std::size_t slot = (start - DEPTH_OFFSET + sizeof(TranspositionEntry) - 1) / sizeof(TranspositionEntry);
    return slot < TT_SIZE ? slot : TT_SIZE;
}

// Every probe lands on a random slot of 32 MB: with 4 KiB pages nearly each one also misses the
// address translation cache. Asking for 2 MiB pages on the whole 2 MiB pieces of the table
// removes most of those walks. Only advice: nothing is touched, and the kernel may decline.
void adviseLargePages() {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    constexpr std::uintptr_t LARGE_PAGE_BYTES = TT_ALIGNMENT;
    const auto start = reinterpret_cast<std::uintptr_t>(TranspositionTable);
    const std::uintptr_t first = (start + LARGE_PAGE_BYTES - 1) & ~(LARGE_PAGE_BYTES - 1);
    const std::uintptr_t last = (start + sizeof(TranspositionTable)) & ~(LARGE_PAGE_BYTES - 1);
    if (last > first) madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#endif
}

}  // namespace

TranspositionEntry& transpositionSlot() { return slotOf(board::currentKey); }

void clearTranspositionTable() {
    static bool advised = false;
    if (!advised) {
        adviseLargePages();
        advised = true;
    }
    for (std::size_t block = 0; block < TT_CLEAR_BLOCKS; ++block) {
        if (!WrittenBlocks[block]) continue;
        const std::size_t end = firstSlotOfBlock(block + 1);
        for (std::size_t slot = firstSlotOfBlock(block); slot < end; ++slot) TranspositionTable[slot].depth = 0;
        WrittenBlocks[block] = false;
    }
}

int probeTransposition(std::uint8_t depth, int alpha, int beta, Move& moveOut) {
    const TranspositionEntry& entry = transpositionSlot();
    if (entry.key != board::currentKey || entry.depth < depth) return NO_HASH_VALUE;
    moveOut = unpackMove(entry.move);
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
    entry.move = packMove(move);
    WrittenBlocks[blockOfDepth(entry)] = true;
}

void setTranspositionValue(int value) { transpositionSlot().value = value; }

}  // namespace search
