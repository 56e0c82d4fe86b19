// Small lists, compared move by move: a root has a few dozen moves at most.
#include "search/rootmoves.h"

#include <algorithm>

namespace search {

thread_local constinit bool rootFilterActive = false;

namespace {

thread_local constinit Move allowedMoves[MAX_ROOT_MOVES] = {};
thread_local constinit int allowedCount = 0;
thread_local constinit Move excludedMoves[MAX_ROOT_MOVES] = {};
thread_local constinit int excludedCount = 0;

bool listed(const Move* list, int count, const Move& move) {
    for (int index = 0; index < count; ++index)
        if (sameMove(list[index], move)) return true;
    return false;
}

void updateActive() { rootFilterActive = allowedCount > 0 || excludedCount > 0; }

}  // namespace

void restrictRootMoves(const Move* moves, int count) {
    allowedCount = 0;
    for (int index = 0; index < count && allowedCount < MAX_ROOT_MOVES; ++index)
        allowedMoves[allowedCount++] = moves[index];
    updateActive();
}

void excludeRootMove(const Move& move) {
    if (excludedCount < MAX_ROOT_MOVES) excludedMoves[excludedCount++] = move;
    updateActive();
}

void clearRootExclusions() {
    excludedCount = 0;
    updateActive();
}

int allowedRootMoves(Move* moves) {
    std::copy(allowedMoves, allowedMoves + allowedCount, moves);
    return allowedCount;
}

bool rootMoveSkipped(const Move& move) {
    if (allowedCount > 0 && !listed(allowedMoves, allowedCount, move)) return true;
    return listed(excludedMoves, excludedCount, move);
}

}  // namespace search
