// The search signature: fixed-depth searches of fixed positions with a fixed seed and no
// book, whose node total changes only when the search's behaviour does. Shared by the
// benchmark program and the engine's "bench" argument.
#pragma once

#include <cstdint>

namespace frontend {

constexpr std::uint32_t BENCH_SEED = 12345;
constexpr int BENCH_SEARCH_DEPTH = 7;

struct BenchTotal {
    std::int64_t nodes;
    std::int64_t milliseconds;  // the searches' own time, the table clearing between them left out
    int positions;
};

// Start-up as the signature wants it: the fixed seed, and a book path that names no file.
void startBenchEngine();
// Sets the position from FEN text: placement, side and castling (further fields are ignored).
void setBenchPosition(const char* fen);
// Searches each position to BENCH_SEARCH_DEPTH after a new game (the table cleared), book off.
// Standard output is silenced meanwhile, so the thinking lines are not seen.
BenchTotal runSearchBench();

}  // namespace frontend
