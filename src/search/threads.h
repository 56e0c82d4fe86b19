// Search threads: the thread that runs the drivers searches, keeps the clock and decides the
// move; helpers search the same position beside it, each with its own position, lists, lines,
// killers, history and counters, sharing only the transposition table.
#pragma once

#include <cstdint>

#include "board/perft.h"

namespace search {

constexpr int MIN_THREADS = 1;
constexpr int MAX_THREADS = 256;

// The Threads setting; each search takes it when it starts. One thread is the design's search.
extern int threadCount;
// 0 on the thread that runs the drivers; helpers count from 1.
extern thread_local constinit int searchThreadIndex;

// False, with the setting unchanged, outside MIN_THREADS to MAX_THREADS.
bool setThreadCount(long long count);

// Starts threadCount - 1 helpers on this thread's position (and its "searchmoves" list), each
// deepening up to depthLimit until stopHelpers. Helpers that cannot be started are reported
// once (Reports::threadsShort) and the search goes on with the threads it has.
void startHelpers(int depthLimit);
void stopHelpers();
// This thread's nodes and those the helpers of the running (or last) search have counted.
std::int64_t totalNodes();

// board::perft and board::perftDivide with the root moves shared among threadCount threads:
// the same counts, and the divided report still in generation order.
void perftOnThreads(int depth);
std::int64_t perftDivideOnThreads(int depth, board::RootLeavesReport report, void* context);

}  // namespace search
