// Start-up only: "morvelline bench" prints the search signature and ends; otherwise seed
// from the wall clock's milliseconds, then the console. Other arguments are ignored.
#include <cstring>

#include "frontend/benchmark.h"
#include "frontend/console.h"
#include "frontend/output.h"
#include "search/timecontrol.h"

namespace {

void runBench() {
    frontend::startBenchEngine();
    const frontend::BenchTotal total = frontend::runSearchBench();
    const std::int64_t milliseconds = total.milliseconds > 0 ? total.milliseconds : 1;
    frontend::printBenchResult(total.nodes, total.nodes * 1000 / milliseconds);
    frontend::flushOutput();
}

}  // namespace

int main(int argumentCount, char** arguments) {
    if (argumentCount > 1 && std::strcmp(arguments[1], "bench") == 0) {
        runBench();
        return 0;
    }
    frontend::startUp(static_cast<std::uint32_t>(search::wallClockMilliseconds()));
    frontend::consoleLoop();
    return 0;
}
