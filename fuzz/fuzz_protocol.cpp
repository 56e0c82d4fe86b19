// "xboard", then a whole protocol session through the protocol's line handler.
#include <unistd.h>

#include "fuzz_support.h"
#include "frontend/xboard.h"

namespace {

// An empty pipe whose writer stays open: polling in the search sees no input
// and never blocks, and the fuzzer's own standard input is left alone.
int quietInput = -1;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::startEngine();
    int ends[2];
    if (pipe(ends) != 0) std::abort();
    quietInput = ends[0];
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    fuzz::resetEngine();
    frontend::attachReader(frontend::standardInput, quietInput);
    frontend::enterProtocolMode();
    // The quiet pipe never holds input, so the protocol's own poll would always say no.
    search::inputInterrupts = fuzz::nodeCapReached;
    fuzz::forEachLine(data, size, [](char* line) {
        const bool goOn = frontend::handleProtocolLine(line);
        fuzz::check(board::positionIsConsistent(), "position consistent after a protocol line");
        return goOn;
    });
    return 0;
}
