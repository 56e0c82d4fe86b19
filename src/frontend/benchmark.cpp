// The bench positions and the loop that searches them, with standard output silenced.
#include "frontend/benchmark.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <sstream>
#include <string>

#include "book/book.h"
#include "frontend/console.h"
#include "frontend/fen.h"
#include "search/pv.h"
#include "search/think.h"
#include "search/timecontrol.h"
#include "search/transposition.h"

namespace frontend {

namespace {

// clang-format off
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

// Standard output sent to /dev/null from construction to destruction.
class SilencedOutput {
public:
    SilencedOutput() {
        std::fflush(stdout);
        saved_ = ::dup(STDOUT_FILENO);
        const int silence = ::open("/dev/null", O_WRONLY);
        if (silence >= 0) {
            ::dup2(silence, STDOUT_FILENO);
            ::close(silence);
        }
    }
    ~SilencedOutput() {
        std::fflush(stdout);
        if (saved_ < 0) return;
        ::dup2(saved_, STDOUT_FILENO);
        ::close(saved_);
    }
    SilencedOutput(const SilencedOutput&) = delete;
    SilencedOutput& operator=(const SilencedOutput&) = delete;

private:
    int saved_ = -1;
};

}  // namespace

void startBenchEngine() {
    book::setBookPath("/nonexistent/book.obk");
    startUp(BENCH_SEED);
    // As an interface has it done before its first search: the timed searches meet no new page.
    search::prepareTranspositionTable();
}

void setBenchPosition(const char* fen) {
    std::istringstream fields(fen);
    std::string placement, side, castling = "-";
    fields >> placement >> side >> castling;
    LoadedPosition position{};
    parsePlacement(placement.c_str(), position);
    position.side = side == "w" ? WHITE : BLACK;
    parseCastling(castling.c_str(), position);
    installPosition(position);
}

BenchTotal runSearchBench() {
    BenchTotal total{0, 0, 0};
    const SilencedOutput silenced;
    for (const char* fen : SEARCH_POSITIONS) {
        newGame();
        book::bookActive = false;
        setBenchPosition(fen);
        search::nodeCount = 0;
        search::timeBudget = search::CONSOLE_TIME_BUDGET_MS;
        search::thinkStart = search::readClock();
        search::iterativeDeepening(BENCH_SEARCH_DEPTH);
        total.milliseconds += search::elapsedMilliseconds(search::thinkStart, search::readClock());
        total.nodes += search::nodeCount;
        ++total.positions;
    }
    return total;
}

}  // namespace frontend
