// Benchmarks, not tests: perft speed in counted moves per second, and a search
// signature (total nodes of fixed-depth searches with a fixed seed and no book)
// that changes only when the search's behaviour does.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>

#include "board/keys.h"
#include "board/perft.h"
#include "board/position.h"
#include "book/book.h"
#include "frontend/console.h"
#include "frontend/loader.h"
#include "search/pv.h"
#include "search/search.h"
#include "search/think.h"
#include "search/timecontrol.h"

namespace {

constexpr std::uint32_t BENCH_SEED = 12345;
constexpr int SEARCH_DEPTH = 7;

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

const char* const SEARCH_POSITIONS[] = {
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -",
    "r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq -",
    "rnbqkb1r/pp2pppp/3p1n2/8/3NP3/8/PPP2PPP/RNBQKB1R w KQkq -",
    "r1bq1rk1/pp2ppbp/2np1np1/8/3NP3/2N1BP2/PPPQ2PP/R3KB1R w KQ -",
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
    "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - -",
    "2r3k1/pp3ppp/8/3R4/8/8/PPP2PPP/6K1 w - -",
    "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -",
    "8/8/4k3/3p4/3P4/4K3/8/8 w - -",
    "6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - -",
    "r1b1k2r/ppppqppp/2n2n2/2b5/2B5/2N2N2/PPPP1PPP/R1BQ1RK1 w kq -",
    "3r2k1/p4ppp/1p6/2p5/2P5/1P3N2/P4PPP/3R2K1 b - -",
};
// clang-format on

void setFen(const char* fen) {
    std::istringstream fields(fen);
    std::string placement, side, castling = "-";
    fields >> placement >> side >> castling;
    frontend::LoadedPosition position{};
    frontend::parsePlacement(placement.c_str(), position);
    position.side = side == "w" ? WHITE : BLACK;
    frontend::parseCastling(castling.c_str(), position);
    frontend::installPosition(position);
}

double secondsSince(const search::ClockReading& start) {
    return static_cast<double>(search::elapsedMilliseconds(start, search::readClock())) / 1000.0;
}

void benchPerft() {
    std::int64_t totalMoves = 0;
    double totalSeconds = 0;
    for (const PerftCase& test : PERFT_CASES) {
        setFen(test.fen);
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

void benchSearch(int restoreOutput) {
    std::int64_t totalNodes = 0;
    double totalSeconds = 0;
    for (const char* fen : SEARCH_POSITIONS) {
        frontend::newGame();
        book::bookActive = false;
        setFen(fen);
        search::nodeCount = 0;
        search::timeBudget = search::CONSOLE_TIME_BUDGET_MS;
        search::thinkStart = search::readClock();
        search::iterativeDeepening(SEARCH_DEPTH);
        totalSeconds += secondsSince(search::thinkStart);
        totalNodes += search::nodeCount;
    }
    std::fflush(stdout);
    ::dup2(restoreOutput, STDOUT_FILENO);
    std::printf("Nodes searched: %lld\n", static_cast<long long>(totalNodes));
    std::printf("Search: depth %d, %zu positions, %.2f s, %.0f nodes per second\n", SEARCH_DEPTH,
                sizeof SEARCH_POSITIONS / sizeof SEARCH_POSITIONS[0], totalSeconds, totalNodes / totalSeconds);
}

}  // namespace

int main(int argumentCount, char** arguments) {
    book::setBookPath("/nonexistent/book.obk");
    frontend::startUp(BENCH_SEED);
    const bool searchOnly = argumentCount > 1 && std::strcmp(arguments[1], "search") == 0;
    const bool perftOnly = argumentCount > 1 && std::strcmp(arguments[1], "perft") == 0;
    if (!searchOnly) benchPerft();
    if (!perftOnly) {
        // Thinking lines would drown the figures: silence them while searching.
        std::fflush(stdout);
        const int savedOutput = ::dup(STDOUT_FILENO);
        const int silence = ::open("/dev/null", O_WRONLY);
        ::dup2(silence, STDOUT_FILENO);
        benchSearch(savedOutput);
    }
    return 0;
}
