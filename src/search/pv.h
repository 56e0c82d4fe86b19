// The node counter and the triangular principal-variation table.
#pragma once

#include <cstdint>

#include "movegen/movelist.h"
#include "types.h"

namespace search {

// 64 bits: perft 7 from the start already counts past 2^31.
extern thread_local constinit std::int64_t nodeCount;
extern thread_local constinit Move PvTable[MAX_PLY][MAX_PLY];
extern thread_local constinit int pvLength[MAX_PLY];
// The deepest ply a node of this think stood at, quiescence included; kept beside the
// search for its reports, it changes nothing the search does.
extern thread_local constinit int selDepth;

inline void noteSelectiveDepth() {
    if (movegen::searchPly > selDepth) selDepth = movegen::searchPly;
}

// Makes the move the best of the node at searchPly, followed by the child's line.
void updatePv(const Move& move);
void clearPv();

}  // namespace search
