// A slot is replaced only by a strictly deeper result; clearing resets depths only,
// and only where a store has written.
#include "search/transposition.h"

#include <sys/mman.h>

#include <algorithm>
#include <atomic>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <vector>

#include "board/position.h"

namespace search {

TranspositionEntry* TranspositionTable = nullptr;
std::size_t transpositionSlots = 0;

namespace {

constexpr auto RELAXED = std::memory_order_relaxed;
constexpr std::size_t SLOTS_PER_BLOCK = TT_CLEAR_BLOCK_BYTES / sizeof(TranspositionEntry);
static_assert(TT_CLEAR_BLOCK_BYTES % sizeof(TranspositionEntry) == 0, "a slot never straddles two blocks");
constexpr std::size_t HASHFULL_SAMPLE = 1000;
constexpr int PER_MILLE = 1000;

// Blocks of one page (of most machines) a store has written since the last clear: only
// there can a depth be non-zero. One byte a block, as threads mark blocks at the same time.
std::vector<std::uint8_t> WrittenBlocks;
// The mapping behind the table, kept whole so that it can be given back.
void* mappedMemory = nullptr;
std::size_t mappedBytes = 0;
// Whether every page of the current mapping has been backed.
bool tableBacked = false;

void markWritten(std::size_t slot) {
    std::atomic_ref<std::uint8_t>(WrittenBlocks[slot / SLOTS_PER_BLOCK]).store(1, RELAXED);
}

// A slot's position and data as one consistent reading: a torn slot yields a key no
// position has (but by a 2^-64 chance), so its data is never taken for another's.
struct SlotReading {
    HashKey key;
    TranspositionData data;
};

// Relaxed atomics cost nothing more than plain loads and stores here, and make a slot two
// threads touch at once a torn slot rather than a data race.
std::uint64_t load(const std::uint64_t& word) {
    return std::atomic_ref<std::uint64_t>(const_cast<std::uint64_t&>(word)).load(RELAXED);
}
void save(std::uint64_t& word, std::uint64_t value) { std::atomic_ref<std::uint64_t>(word).store(value, RELAXED); }

std::uint64_t dataWord(const TranspositionEntry& entry) { return load(entry.data); }

SlotReading readSlot(const TranspositionEntry& entry) {
    const std::uint64_t data = dataWord(entry);
    return {load(entry.keyMixedWithData) ^ data, std::bit_cast<TranspositionData>(data)};
}

void writeSlot(TranspositionEntry& entry, HashKey key, const TranspositionData& data) {
    const auto word = std::bit_cast<std::uint64_t>(data);
    save(entry.keyMixedWithData, key ^ word);
    save(entry.data, word);
}

// The data word's depth bits: clearing them in both words keeps the slot's key.
constexpr std::uint64_t DEPTH_BITS =
    std::bit_cast<std::uint64_t>(TranspositionData{0, 0, std::numeric_limits<std::uint8_t>::max(), 0});

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
    tableBacked = false;
    WrittenBlocks.assign((slots + SLOTS_PER_BLOCK - 1) / SLOTS_PER_BLOCK, 0);
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
    for (std::size_t slot = 0; slot < sample; ++slot) stored += readSlot(TranspositionTable[slot]).data.depth != 0;
    return static_cast<int>(stored * PER_MILLE / sample);
}

TranspositionData transpositionSlot() { return std::bit_cast<TranspositionData>(dataWord(slotOf(board::currentKey))); }

bool storedMoveOf(HashKey key, Move& move) {
    ensureTable();
    const SlotReading slot = readSlot(slotOf(key));
    // A cleared slot keeps its old key and move: only a stored depth says the slot is in use.
    if (slot.key != key || slot.data.depth == 0) return false;
    move = unpackMove(slot.data.move);
    return true;
}

void clearTranspositionTable() {
    ensureTable();
    for (std::size_t block = 0; block < WrittenBlocks.size(); ++block) {
        if (!WrittenBlocks[block]) continue;
        const std::size_t first = block * SLOTS_PER_BLOCK;
        const std::size_t end = std::min(first + SLOTS_PER_BLOCK, transpositionSlots);
        // No search runs while the table is cleared: plain words, which the compiler may widen.
        for (std::size_t slot = first; slot < end; ++slot) {
            TranspositionEntry& entry = TranspositionTable[slot];
            entry.keyMixedWithData ^= entry.data & DEPTH_BITS;
            entry.data &= ~DEPTH_BITS;
        }
        WrittenBlocks[block] = 0;
    }
}

void prepareTranspositionTable() {
    ensureTable();
    if (tableBacked) return;
    tableBacked = true;
    const std::size_t bytes = transpositionSlots * sizeof(TranspositionEntry);
#if defined(MADV_POPULATE_WRITE)
    if (madvise(TranspositionTable, bytes, MADV_POPULATE_WRITE) == 0) return;
#endif
    // An older kernel: write each page's first word with what it holds. No search runs, and
    // clearing only ever rewrites words, so nothing changes but that the page is backed.
    auto* const bytesOfTable = reinterpret_cast<unsigned char*>(TranspositionTable);
    for (std::size_t offset = 0; offset < bytes; offset += TT_CLEAR_BLOCK_BYTES) {
        auto* const word = reinterpret_cast<volatile std::uint64_t*>(bytesOfTable + offset);
        *word = *word;
    }
}

int probeTransposition(std::uint8_t depth, int alpha, int beta, Move& moveOut) {
    const SlotReading slot = readSlot(slotOf(board::currentKey));
    if (slot.key != board::currentKey || slot.data.depth < depth) return NO_HASH_VALUE;
    moveOut = unpackMove(slot.data.move);
    if (slot.data.bound == BOUND_EXACT) return slot.data.value;
    if (slot.data.bound == BOUND_UPPER && slot.data.value <= alpha) return alpha;
    if (slot.data.bound == BOUND_LOWER && slot.data.value >= beta) return beta;
    return NO_HASH_VALUE;
}

void storeTransposition(std::uint8_t depth, int value, std::uint8_t bound, Move move) {
    const std::size_t slot = slotIndex(board::currentKey);
    TranspositionEntry& entry = TranspositionTable[slot];
    if (std::bit_cast<TranspositionData>(dataWord(entry)).depth >= depth) return;
    writeSlot(entry, board::currentKey, {value, bound, depth, packMove(move)});
    markWritten(slot);
}

// The slot keeps the position it belongs to, even when that is another one.
void setTranspositionValue(int value) {
    TranspositionEntry& entry = slotOf(board::currentKey);
    SlotReading reading = readSlot(entry);
    reading.data.value = value;
    writeSlot(entry, reading.key, reading.data);
}

}  // namespace search
