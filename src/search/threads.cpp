// Helpers are started for each search and joined when it ends: a search lasts far longer than
// starting a thread, and nothing of a helper outlives the search it served.
#include "search/threads.h"

#include <pthread.h>

#include <atomic>
#include <climits>
#include <cstdint>
#include <cstdlib>

#include "board/makemove.h"
#include "board/position.h"
#include "movegen/generate.h"
#include "movegen/movelist.h"
#include "search/ordering.h"
#include "search/pv.h"
#include "search/report.h"
#include "search/rootmoves.h"
#include "search/search.h"
#include "search/think.h"
#include "search/timecontrol.h"

namespace search {

int threadCount = MIN_THREADS;
thread_local constinit int searchThreadIndex = 0;

namespace {

constexpr auto RELAXED = std::memory_order_relaxed;
// Room for the helper's own copy of the search state (about 1.3 MB) and a deep recursion.
constexpr std::size_t HELPER_STACK_BYTES = std::size_t{16} << 20;
constexpr int CACHE_LINE_BYTES = 64;

// Each helper's count on a line of its own, so publishing it never slows another thread.
struct alignas(CACHE_LINE_BYTES) HelperNodes {
    std::atomic<std::int64_t> nodes{0};
};

HelperNodes HelperCounts[MAX_THREADS];
pthread_t HelperThreads[MAX_THREADS];
int helpersStarted = 0;
std::atomic<bool> helpersStop{false};
// A shortage is said once for each Threads setting, not at every search.
bool shortageReported = false;

// What every helper starts from; written before the helpers start and only read by them.
board::PositionCopy startPosition;
Move AllowedRoots[MAX_ROOT_MOVES];
int allowedRootCount = 0;
int helperDepthLimit = 0;

// The helpers' hook, asked at every node: publish the count and obey the main thread.
bool helperInterrupts() {
    HelperCounts[searchThreadIndex].nodes.store(nodeCount, RELAXED);
    return helpersStop.load(RELAXED);
}

void takeUpStartPosition(int index) {
    searchThreadIndex = index;
    board::takePosition(startPosition);
    movegen::searchPly = 0;
    nodeCount = 0;
}

void* helperSearch(void* argument) {
    takeUpStartPosition(static_cast<int>(reinterpret_cast<std::intptr_t>(argument)));
    restrictRootMoves(AllowedRoots, allowedRootCount);
    inputInterrupts = helperInterrupts;
    // Only the main thread keeps the clock.
    timeBudget = INT_MAX;
    thinkStart = readClock();
    clearHistory();
    clearPv();
    clearKillers();
    // Every other helper runs one iteration ahead of the main thread: its results are waiting
    // in the table when the main thread gets there.
    const int firstDepth = 1 + searchThreadIndex % 2;
    for (int depth = firstDepth; depth <= helperDepthLimit; ++depth) {
        movegen::searchPly = 0;
        stopSearch = false;
        followPv = true;
        const int score = alphaBeta(-MATE_SCORE, MATE_SCORE, depth, true);
        if (stopSearch || rootRepetition || std::abs(score) > MATE_THRESHOLD) break;
        resetKillerScores();
    }
    HelperCounts[searchThreadIndex].nodes.store(nodeCount, RELAXED);
    return nullptr;
}

// Starts helpers 1 to threadCount - 1 running body; returns how many started.
int startThreads(void* (*body)(void*)) {
    for (int index = 1; index < threadCount; ++index) HelperCounts[index].nodes.store(0, RELAXED);
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, HELPER_STACK_BYTES);
    int started = 0;
    for (int index = 1; index < threadCount; ++index) {
        void* argument = reinterpret_cast<void*>(static_cast<std::intptr_t>(index));
        if (pthread_create(&HelperThreads[index], &attributes, body, argument) != 0) break;
        ++started;
    }
    pthread_attr_destroy(&attributes);
    if (started + 1 < threadCount && !shortageReported) {
        shortageReported = true;
        if (reports.threadsShort != nullptr) reports.threadsShort(started + 1, threadCount);
    }
    return started;
}

void joinThreads(int started) {
    for (int index = 1; index <= started; ++index) pthread_join(HelperThreads[index], nullptr);
}

// The legal root moves, shared out one at a time; each thread counts below the ones it takes.
struct PerftWork {
    int depth;
    bool leavesOnly;  // perftLeaves below each root move, else the console's cumulative count
    int rootCount;
    Move roots[MAX_MOVES];
    std::int64_t counts[MAX_MOVES];
    std::atomic<int> next;
};
PerftWork perftWork;

void countRootMoves() {
    for (int index = perftWork.next.fetch_add(1); index < perftWork.rootCount; index = perftWork.next.fetch_add(1)) {
        Move move = perftWork.roots[index];
        const HashKey savedKey = board::currentKey;
        board::makeMove(move);
        ++movegen::searchPly;
        if (perftWork.leavesOnly) {
            perftWork.counts[index] = board::perftLeaves(perftWork.depth - 1);
        } else {
            nodeCount = 0;
            board::perft(perftWork.depth - 1);
            perftWork.counts[index] = 1 + nodeCount;
        }
        --movegen::searchPly;
        board::unmakeMove(move);
        board::currentKey = savedKey;
    }
}

void* perftHelper(void* argument) {
    takeUpStartPosition(static_cast<int>(reinterpret_cast<std::intptr_t>(argument)));
    countRootMoves();
    return nullptr;
}

// Runs the shared perft on every thread; the counts land in perftWork.counts.
void runPerft(int depth, bool leavesOnly) {
    perftWork.depth = depth;
    perftWork.leavesOnly = leavesOnly;
    perftWork.rootCount = 0;
    perftWork.next.store(0);
    const int ply = movegen::searchPly;
    movegen::moveCount[ply] = 0;
    movegen::generateMoves();
    for (int index = 0; index < movegen::moveCount[ply]; ++index) {
        Move trial = movegen::MoveList[ply][index];
        if (isLegalMove(trial)) perftWork.roots[perftWork.rootCount++] = movegen::MoveList[ply][index];
    }
    board::copyPosition(startPosition);
    const int started = startThreads(perftHelper);
    const std::int64_t savedNodes = nodeCount;
    countRootMoves();
    nodeCount = savedNodes;
    joinThreads(started);
}

}  // namespace

bool setThreadCount(long long count) {
    if (count < MIN_THREADS || count > MAX_THREADS) return false;
    if (count != threadCount) shortageReported = false;
    threadCount = static_cast<int>(count);
    return true;
}

void startHelpers(int depthLimit) {
    helpersStarted = 0;
    if (threadCount <= MIN_THREADS) return;
    board::copyPosition(startPosition);
    allowedRootCount = allowedRootMoves(AllowedRoots);
    helperDepthLimit = depthLimit;
    helpersStop.store(false);
    helpersStarted = startThreads(helperSearch);
}

void stopHelpers() {
    helpersStop.store(true);
    joinThreads(helpersStarted);
}

std::int64_t totalNodes() {
    std::int64_t total = nodeCount;
    for (int index = 1; index <= helpersStarted; ++index) total += HelperCounts[index].nodes.load(RELAXED);
    return total;
}

void perftOnThreads(int depth) {
    if (threadCount <= MIN_THREADS || depth <= 1) {
        board::perft(depth);
        return;
    }
    runPerft(depth, false);
    for (int index = 0; index < perftWork.rootCount; ++index) nodeCount += perftWork.counts[index];
}

std::int64_t perftDivideOnThreads(int depth, board::RootLeavesReport report, void* context) {
    if (threadCount <= MIN_THREADS || depth <= 1) return board::perftDivide(depth, report, context);
    runPerft(depth, true);
    std::int64_t total = 0;
    for (int index = 0; index < perftWork.rootCount; ++index) {
        Move move = perftWork.roots[index];
        total += perftWork.counts[index];
        // The report may read the position with the root move made, as the one-thread walk leaves it.
        const HashKey savedKey = board::currentKey;
        board::makeMove(move);
        ++movegen::searchPly;
        report(move, perftWork.counts[index], context);
        --movegen::searchPly;
        board::unmakeMove(move);
        board::currentKey = savedKey;
    }
    return total;
}

}  // namespace search
