// A slot is replaced only by a strictly deeper result; clearing resets depths only,
// and only where a store has written.
#include "search/transposition.h"

#include <sys/mman.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "board/position.h"

namespace search {

TranspositionEntry* TranspositionTable = nullptr;
std::size_t transpositionSlots = 0;

namespace {

constexpr std::size_t DEPTH_OFFSET = offsetof(TranspositionEntry, depth);
constexpr std::size_t HASHFULL_SAMPLE = 1000;
constexpr int PER_MILLE = 1000;

// Blocks of one page (of most machines) a store has written since the last clear: only
// there can a depth be non-zero. A block holds the depth bytes of the slots whose depth lies in it.
std::vector<bool> WrittenBlocks;
// The mapping behind the table, kept whole so that it can be given back.
void* mappedMemory = nullptr;
std::size_t mappedBytes = 0;

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
    return slot < transpositionSlots ? slot : transpositionSlots;
}

// Every probe lands on a random slot of the table: with 4 KiB pages nearly each one also misses
// the address translation cache. Asking for 2 MiB pages removes most of those walks. Only
// advice: nothing is touched, and the kernel may decline.
void adviseLargePages(void* start, std::size_t bytes) {
#if defined(MADV_HUGEPAGE)
    madvise(start, bytes, MADV_HUGEPAGE);
#else
    (void)start;
    (void)bytes;
#endif
}

// Zeroed memory straight from the system, on a 2 MiB boundary: no page is backed before a
// store writes to it. Not reserved past what the system would grant, so a size the machine
// cannot hold is refused here rather than failing later in a search.
bool mapTable(std::size_t slots) {
    const std::size_t tableBytes = slots * sizeof(TranspositionEntry);
    const std::size_t bytes = tableBytes + TT_ALIGNMENT;
    void* memory = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED) return false;
    const auto address = reinterpret_cast<std::uintptr_t>(memory);
    const std::uintptr_t aligned = (address + TT_ALIGNMENT - 1) & ~(TT_ALIGNMENT - 1);
    if (mappedMemory != nullptr) munmap(mappedMemory, mappedBytes);
    mappedMemory = memory;
    mappedBytes = bytes;
    TranspositionTable = reinterpret_cast<TranspositionEntry*>(aligned);
    transpositionSlots = slots;
    adviseLargePages(TranspositionTable, tableBytes);
    WrittenBlocks.assign((tableBytes + TT_CLEAR_BLOCK_BYTES - 1) / TT_CLEAR_BLOCK_BYTES, false);
    return true;
}

void ensureTable() {
    if (TranspositionTable == nullptr && !mapTable(TT_SIZE)) {
        std::fputs("no memory for the transposition table\n", stderr);
        std::abort();
    }
}

}  // namespace

bool resizeTranspositionTable(std::size_t megabytes) {
    if (megabytes < TT_MIN_MB || megabytes > TT_MAX_MB) return false;
    const std::size_t slots = megabytes * TT_BYTES_PER_MB / sizeof(TranspositionEntry);
    if (TranspositionTable != nullptr && slots == transpositionSlots) return true;
    return mapTable(slots);
}

std::size_t transpositionMegabytes() {
    return transpositionSlots * sizeof(TranspositionEntry) / TT_BYTES_PER_MB;
}

int hashFullPermille() {
    ensureTable();
    const std::size_t sample = transpositionSlots < HASHFULL_SAMPLE ? transpositionSlots : HASHFULL_SAMPLE;
    std::size_t stored = 0;
    for (std::size_t slot = 0; slot < sample; ++slot) stored += TranspositionTable[slot].depth != 0;
    return static_cast<int>(stored * PER_MILLE / sample);
}

TranspositionEntry& transpositionSlot() { return slotOf(board::currentKey); }

void clearTranspositionTable() {
    ensureTable();
    for (std::size_t block = 0; block < WrittenBlocks.size(); ++block) {
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

bool storedMoveOf(HashKey key, Move& move) {
    ensureTable();
    const TranspositionEntry& entry = slotOf(key);
    // A cleared slot keeps its old key and move: only a stored depth says the slot is in use.
    if (entry.key != key || entry.depth == 0) return false;
    move = unpackMove(entry.move);
    return true;
}

}  // namespace search
