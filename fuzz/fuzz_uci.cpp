// A whole UCI session through the driver's line handler. The harness plays the
// interface's part during a search: standard input is a pipe that stays open
// (so polling sees nothing) and holds "stop" only after "go infinite" or "go ponder",
// which answer only when released.
#include <unistd.h>

#include "fuzz_support.h"
#include "frontend/uci.h"
#include "frontend/words.h"

namespace {

constexpr char STOP_LINE[] = "stop\n";

// The driver's own poll of standard input ("stop", "isready", "go nodes").
bool (*driverInterrupts)() = nullptr;
int interfaceEnds[2] = {-1, -1};

bool interrupts() { return fuzz::nodeCapReached() || driverInterrupts(); }

bool waitsForRelease(const char* text) {
    char copy[frontend::LINE_BUFFER_SIZE];
    std::snprintf(copy, sizeof copy, "%s", text);
    const frontend::Words words = frontend::splitWords(copy);
    if (words.count == 0 || std::strcmp(words.word[0], "go") != 0) return false;
    for (int index = 1; index < words.count; ++index)
        if (std::strcmp(words.word[index], "infinite") == 0 || std::strcmp(words.word[index], "ponder") == 0) return true;
    return false;
}

// A fresh pipe per line, so nothing one line left unread reaches the next.
void attachInterface(bool sendStop) {
    for (int& end : interfaceEnds)
        if (end >= 0) close(end);
    if (pipe(interfaceEnds) != 0) std::abort();
    if (sendStop && write(interfaceEnds[1], STOP_LINE, sizeof STOP_LINE - 1) != sizeof STOP_LINE - 1) std::abort();
    frontend::attachReader(frontend::standardInput, interfaceEnds[0]);
}

void handleFixedLine(const char* text) {
    char line[frontend::LINE_BUFFER_SIZE];
    std::snprintf(line, sizeof line, "%s", text);
    frontend::handleUciLine(line);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::startEngine();
    // The driver on an empty input: it sets up UCI mode and its poll, then meets the end.
    const int empty = open("/dev/null", O_RDONLY);
    if (empty < 0) std::abort();
    frontend::attachReader(frontend::standardInput, empty);
    frontend::uciDriver();
    close(empty);
    driverInterrupts = search::inputInterrupts;
    if (driverInterrupts == nullptr) std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    fuzz::resetEngine();
    frontend::uciMode = true;
    frontend::setProtocolOutput(true);
    search::inputInterrupts = interrupts;
    attachInterface(false);
    // The option outlives a session; every input starts from the default.
    handleFixedLine("setoption name OwnBook value true");
    fuzz::forEachLine(data, size, [](char* line) {
        if (fuzz::perftTooDeep(line, true)) return true;
        attachInterface(waitsForRelease(line));
        const bool goOn = frontend::handleUciLine(line);
        fuzz::check(board::positionIsConsistent(), "position consistent after a UCI line");
        fuzz::check(board::halfMoveClock >= 0, "half-move clock not negative");
        return goOn;
    });
    return 0;
}
