// Start-up, newGame and the console's small command language.
#include "frontend/console.h"

#include <cstring>

#include "board/keys.h"
#include "board/perft.h"
#include "board/position.h"
#include "board/random.h"
#include "book/book.h"
#include "eval/evaluate.h"
#include "frontend/display.h"
#include "frontend/input.h"
#include "frontend/loader.h"
#include "frontend/movetext.h"
#include "frontend/output.h"
#include "frontend/uci.h"
#include "frontend/words.h"
#include "frontend/xboard.h"
#include "movegen/movelist.h"
#include "search/pv.h"
#include "search/search.h"
#include "search/think.h"
#include "search/timecontrol.h"
#include "search/transposition.h"

namespace frontend {

bool xboardMode = false;
bool uciMode = false;
std::uint8_t maxDepth = DEFAULT_MAX_DEPTH;
bool enginePlays = false;
bool outOfTime = false;

namespace {

void runPerft(const char* argument, const char* line) {
    long long depth = 0;
    if (argument == nullptr) {
        printError("perft needs a depth", line);
        return;
    }
    // Text that is no number counts nothing; depths the per-ply lists cannot hold are refused.
    if (!parseInteger(argument, depth)) depth = 0;
    if (depth < 0 || depth > board::maxPerftDepth()) {
        printError("perft depth must be 0 to 30", line);
        return;
    }
    search::nodeCount = 0;
    const search::ClockReading start = search::readClock();
    board::perft(static_cast<int>(depth));
    const search::ClockReading end = search::readClock();
    printPerftResult(search::nodeCount, search::elapsedMilliseconds(start, end));
}

}  // namespace

void startUp(std::uint32_t seed) {
    board::seedRandom(seed);
    board::initKeys();
    newGame();
    maxDepth = DEFAULT_MAX_DEPTH;
    xboardMode = false;
}

void newGame() {
    board::setupInitialPosition();
    search::clearTranspositionTable();
    book::clearGameText();
    book::loadBook();
    board::gamePly = 0;
    board::halfMoveClock = 0;
    search::nodeCount = 0;
    for (int entry = 1; entry < board::GAME_HISTORY_SIZE; ++entry) board::GameHistory[entry] = 0;
    outOfTime = false;
    search::rootRepetition = false;
    enginePlays = false;
    book::bookActive = true;
}

bool handleConsoleLine(char* line) {
    char original[LINE_BUFFER_SIZE];
    std::strncpy(original, line, LINE_BUFFER_SIZE - 1);
    original[LINE_BUFFER_SIZE - 1] = '\0';
    const Words words = splitWords(line);
    if (words.count == 0) return true;
    const char* command = words.word[0];
    const char* argument = words.count > 1 ? words.word[1] : nullptr;
    if (std::strcmp(command, "quit") == 0) {
        printQuitMessage();
        return false;
    }
    if (std::strcmp(command, "board") == 0) {
        showBoard();
    } else if (std::strcmp(command, "perft") == 0) {
        runPerft(argument, original);
    } else if (std::strcmp(command, "move") == 0) {
        search::think();
    } else if (std::strcmp(command, "load") == 0) {
        if (argument == nullptr)
            printError("load needs a file name or init", original);
        else
            loadPosition(argument);
    } else if (std::strcmp(command, "hash") == 0) {
        printHash(board::computeKey(), board::currentKey);
    } else if (std::strcmp(command, "eval") == 0) {
        printValue(eval::evaluate());
    } else if (std::strcmp(command, "xboard") == 0) {
        enterProtocolMode();
        protocolDriver();
        return false;
    } else if (std::strcmp(command, "uci") == 0) {
        uciDriver();
        return false;
    } else {
        playUserMove(command);
    }
    return true;
}

void consoleLoop() {
    char line[LINE_BUFFER_SIZE];
    while (readLine(line, LINE_BUFFER_SIZE, standardInput) != LineEnd::STREAM_END)
        if (!handleConsoleLine(line)) return;
}

}  // namespace frontend
