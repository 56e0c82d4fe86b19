// Start-up only: seed from the wall clock's milliseconds, then the console.
#include "frontend/console.h"
#include "search/timecontrol.h"

int main() {
    frontend::startUp(static_cast<std::uint32_t>(search::wallClockMilliseconds()));
    frontend::consoleLoop();
    return 0;
}
