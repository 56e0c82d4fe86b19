// The console's "load": a position file's first line, its first three FEN fields.
#pragma once

#include "frontend/fen.h"

namespace frontend {

// 79 characters of the file's first line and the terminator.
constexpr int POSITION_LINE_SIZE = 80;

// "init" starts a new game; otherwise the argument names a position file.
void loadPosition(const char* argument);

}  // namespace frontend
