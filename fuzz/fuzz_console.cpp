// A whole console session: every line through the console's handler, as the loop reads it.
#include <fcntl.h>

#include <cstdio>
#include <cstring>

#include "fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::startEngine();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    fuzz::resetEngine();
    // The console never polls input; the hook only bounds the search.
    search::inputInterrupts = fuzz::nodeCapReached;
    // "xboard" and "uci" hand over to drivers that read standard input: they meet its end at once.
    const int empty = open("/dev/null", O_RDONLY);
    if (empty < 0) std::abort();
    frontend::attachReader(frontend::standardInput, empty);
    fuzz::forEachLine(data, size, [](char* line) {
        if (fuzz::perftTooDeep(line, false)) return true;
        const bool goOn = frontend::handleConsoleLine(line);
        fuzz::check(board::positionIsConsistent(), "position consistent after a console line");
        return goOn;
    });
    close(empty);
    return 0;
}
