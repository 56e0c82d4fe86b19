// updatePv copies the child row behind the node's move.
#include "search/pv.h"

#include <cstring>

#include "movegen/movelist.h"

namespace search {

thread_local constinit std::int64_t nodeCount = 0;
thread_local constinit Move PvTable[MAX_PLY][MAX_PLY] = {};
thread_local constinit int pvLength[MAX_PLY];
thread_local constinit int selDepth = 0;

void updatePv(const Move& move) {
    const int ply = movegen::searchPly;
    PvTable[ply][ply] = move;
    // The last ply has no child row to copy from.
    if (ply + 1 >= MAX_PLY) {
        pvLength[ply] = ply + 1;
        return;
    }
    // The child row as the last node at ply + 1 left it, whether or not that node was
    // the child just searched; its end may even lie before this ply.
    const int childEnd = pvLength[ply + 1];
    for (int next = ply + 1; next < childEnd; ++next) PvTable[ply][next] = PvTable[ply + 1][next];
    pvLength[ply] = childEnd;
}

void clearPv() {
    std::memset(PvTable[0], 0, sizeof PvTable[0]);
    std::memset(pvLength, 0, sizeof pvLength);
}

}  // namespace search
