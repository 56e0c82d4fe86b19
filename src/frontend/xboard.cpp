// Most commands of the protocol are accepted and ignored; any other line is a move.
#include "frontend/xboard.h"

#include <csignal>
#include <cstring>

#include "board/keys.h"
#include "board/position.h"
#include "frontend/console.h"
#include "frontend/input.h"
#include "frontend/movetext.h"
#include "frontend/output.h"
#include "frontend/words.h"
#include "search/search.h"
#include "search/think.h"
#include "search/timecontrol.h"

namespace frontend {

namespace {

constexpr int RESIGN_BELOW_CENTISECONDS = 5;

bool protocolInterrupts() { return inputWaitingPaced(standardInput); }

// The side changes without a move; the key follows as it does for a null move.
void setSideToMove(Color side) {
    if (board::sideToMove == side) return;
    board::currentKey ^= board::sideKeys[board::sideToMove];
    board::sideToMove = side;
    board::currentKey ^= board::sideKeys[board::sideToMove];
    board::GameHistory[board::gamePly] = board::currentKey;
}

void setClock(const char* argument) {
    long long centiseconds = 0;
    // A missing or garbled value leaves the clock as it was.
    if (!parseInteger(argument, centiseconds)) return;
    search::timeLeft = static_cast<int>(centiseconds);
    if (search::timeLeft < RESIGN_BELOW_CENTISECONDS) outOfTime = true;
}

bool isIgnored(const char* command) {
    static constexpr const char* IGNORED[] = {"protover", "random", "level", "post",   "hard",
                                              "otim",     "force",  "computer", "?", "remove", "result"};
    for (const char* ignored : IGNORED)
        if (std::strcmp(command, ignored) == 0) return true;
    return false;
}

}  // namespace

void enterProtocolMode() {
    xboardMode = true;
    setProtocolOutput(true);
    search::inputInterrupts = protocolInterrupts;
    std::signal(SIGINT, SIG_IGN);
}

bool handleProtocolLine(char* line) {
    const Words words = splitWords(line);
    if (words.count == 0) return true;
    const char* command = words.word[0];
    const char* argument = words.count > 1 ? words.word[1] : nullptr;
    if (std::strcmp(command, "quit") == 0) return false;
    if (std::strcmp(command, "go") == 0) {
        enginePlays = true;
        search::think();
    } else if (std::strcmp(command, "new") == 0) {
        newGame();
    } else if (std::strcmp(command, "time") == 0) {
        setClock(argument);
    } else if (std::strcmp(command, "black") == 0) {
        setSideToMove(BLACK);
    } else if (std::strcmp(command, "white") == 0) {
        setSideToMove(WHITE);
    } else if (!isIgnored(command)) {
        playUserMove(command);
    }
    return true;
}

void protocolDriver() {
    printProtocolEntry();
    char line[LINE_BUFFER_SIZE];
    // The end of input ends the program, as "quit" does.
    while (readLine(line, LINE_BUFFER_SIZE, standardInput) != LineEnd::STREAM_END)
        if (!handleProtocolLine(line)) return;
}

}  // namespace frontend
