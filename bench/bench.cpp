// Benchmarks, not tests: perft speed in counted moves per second, and a search
// signature (total nodes of fixed-depth searches with a fixed seed and no book)
// that changes only when the search's behaviour does.
#include <cstdio>
#include <cstring>

#include "board/perft.h"
#include "frontend/benchmark.h"
#include "search/pv.h"
#include "search/timecontrol.h"

namespace {

struct PerftCase {
    const char* fen;
    int depth;
};

// clang-format off
const PerftCase PERFT_CASES[] = {
    {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -", 6},
    {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -", 4},
    {"8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -", 6},
    {"r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - -", 4},
};
// clang-format on

double secondsSince(const search::ClockReading& start) {
    return static_cast<double>(search::elapsedMilliseconds(start, search::readClock())) / 1000.0;
}

void benchPerft() {
    std::int64_t totalMoves = 0;
    double totalSeconds = 0;
    for (const PerftCase& test : PERFT_CASES) {
        frontend::setBenchPosition(test.fen);
        search::nodeCount = 0;
        const search::ClockReading start = search::readClock();
        board::perft(test.depth);
        const double seconds = secondsSince(start);
        totalMoves += search::nodeCount;
        totalSeconds += seconds;
        std::printf("perft %d %-70s %12lld moves %7.2f s %6.2f M/s\n", test.depth, test.fen,
                    static_cast<long long>(search::nodeCount), seconds, search::nodeCount / seconds / 1e6);
    }
    std::printf("Perft total: %lld moves in %.2f s: %.2f million counted moves per second\n",
                static_cast<long long>(totalMoves), totalSeconds, totalMoves / totalSeconds / 1e6);
}

void benchSearch() {
    // Thinking lines would drown the figures: the run silences them.
    const frontend::BenchTotal total = frontend::runSearchBench();
    const double seconds = static_cast<double>(total.milliseconds) / 1000.0;
    std::printf("Nodes searched: %lld\n", static_cast<long long>(total.nodes));
    std::printf("Search: depth %d, %d positions, %.2f s, %.0f nodes per second\n", frontend::BENCH_SEARCH_DEPTH,
                total.positions, seconds, static_cast<double>(total.nodes) / seconds);
}

}  // namespace

int main(int argumentCount, char** arguments) {
    frontend::startBenchEngine();
    const bool searchOnly = argumentCount > 1 && std::strcmp(arguments[1], "search") == 0;
    const bool perftOnly = argumentCount > 1 && std::strcmp(arguments[1], "perft") == 0;
    if (!searchOnly) benchPerft();
    if (!perftOnly) benchSearch();
    return 0;
}
