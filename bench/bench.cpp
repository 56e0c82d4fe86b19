// Benchmarks: perft speed in counted moves per second, and a fixed-depth search
// signature (total nodes) that changes only when the search's behaviour does.
#include <cstdio>
#include <cstring>

#include "board/perft.h"
#include "board/position.h"
#include "search/pv.h"
#include "search/timecontrol.h"
#include "frontend/console.h"
#include "book/book.h"

#include "../tests/test_support.h"

int main() { return 0; }
