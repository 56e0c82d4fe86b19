// The node counter and the triangular principal-variation table.
#pragma once

#include <cstdint>

#include "types.h"

namespace search {

// 64 bits: perft 7 from the start already counts past 2^31.
extern std::int64_t nodeCount;
extern Move PvTable[MAX_PLY][MAX_PLY];
extern int pvLength[MAX_PLY];

// Makes the move the best of the node at searchPly, followed by the child's line.
void updatePv(const Move& move);
void clearPv();

}  // namespace search
