// Start-up, newGame and the console's small command language.
#include "frontend/console.h"

#include <cstring>

#include "board/attacks.h"
#include "board/castling.h"
#include "board/keys.h"
#include "board/perft.h"
#include "board/position.h"
#include "board/random.h"
#include "board/repetition.h"
#include "book/book.h"
#include "eval/evaluate.h"
#include "frontend/display.h"
#include "frontend/fen.h"
#include "frontend/input.h"
#include "frontend/loader.h"
#include "frontend/movetext.h"
#include "frontend/output.h"
#include "frontend/pgn.h"
#include "frontend/reports.h"
#include "frontend/san.h"
#include "frontend/uci.h"
#include "frontend/words.h"
#include "frontend/xboard.h"
#include "movegen/movelist.h"
#include "search/pv.h"
#include "search/search.h"
#include "search/strength.h"
#include "search/think.h"
#include "search/threads.h"
#include "search/timecontrol.h"
#include "search/transposition.h"

namespace frontend {

bool xboardMode = false;
bool uciMode = false;
bool enginePlays = false;

namespace {

constexpr int MIN_DEPTH_SETTING = 1;
// The longest console think: the design's budget, which is also what "st 0" restores.
constexpr long long MAX_MOVE_TIME_MS = search::CONSOLE_TIME_BUDGET_MS;

bool is(const char* word, const char* expected) { return std::strcmp(word, expected) == 0; }

void setDepthLimit(const char* argument, const char* line) {
    long long depth = 0;
    if (!parseInteger(argument, depth) || depth < MIN_DEPTH_SETTING || depth > DEFAULT_MAX_DEPTH) {
        printError("sd needs a depth from 1 to 20", line);
        return;
    }
    maxDepth = static_cast<std::uint8_t>(depth);
}

bool sideToMoveHasLegalMove() {
    Move move{};
    return search::firstLegalMove(move);
}

// Said after a move that leaves the side to move without a legal move.
void announceGameEnd() {
    if (sideToMoveHasLegalMove()) return;
    if (board::isKingAttacked(board::opponentOf(board::sideToMove)))
        printCheckmate(board::opponentOf(board::sideToMove));
    else
        printStalemate();
}

// The engine's turn in the console; the end of the game is said when a move of this turn ended it.
void consoleThink(int plyBefore) {
    const int plyAtThink = board::gamePly;
    search::think();
    if (board::gamePly != plyAtThink) recordMover(true);
    if (board::gamePly != plyBefore) announceGameEnd();
}

void userMove(const char* text) {
    Move move{};
    const MoveTextKind coordinates = parseUserMove(text, move);
    // Text in the coordinate form (b1c3, e2e5) is read as coordinates, refusals and all, as it
    // always was; algebraic notation takes only what that form cannot be (Nf3, R1e2, exd5).
    const bool coordinateForm = coordinates != MoveTextKind::NOT_A_MOVE && text[0] >= 'a' && text[0] <= 'z';
    const bool algebraic = !coordinateForm && looksLikeSan(text);
    // After the end a move-shaped text gets the reason, not just "Illegal move".
    if ((coordinates != MoveTextKind::NOT_A_MOVE || algebraic) && !sideToMoveHasLegalMove()) {
        printError("the game is over", text);
        return;
    }
    const int plyBefore = board::gamePly;
    if (algebraic ? playSanMove(text) : playUserMove(text)) {
        recordMover(false);
        consoleThink(plyBefore);
    }
}

// "new960" from a random start, "new960 N" from start number N; the book stays out of it.
void newChess960Game(const char* argument, const char* line) {
    long long number = 0;
    if (argument == nullptr) {
        // Draws past the last whole multiple of 960 are thrown back, so every start is as likely.
        constexpr int VALUES = board::RANDOM_MAX + 1;
        constexpr int DRAWS = VALUES - VALUES % board::CHESS960_POSITIONS;
        int draw = 0;
        do draw = board::random15();
        while (draw >= DRAWS);
        number = draw % board::CHESS960_POSITIONS;
    } else if (!parseInteger(argument, number) || number < 0 || number >= board::CHESS960_POSITIONS) {
        printError("new960 needs a start number from 0 to 959", line);
        return;
    }
    newGame();
    board::setupChess960Position(static_cast<int>(number));
    board::startGameRecord(0, 1);
    book::bookActive = false;
    book::gameFromInitialPosition = false;
    chess960Notation = true;
}

void printPosition() {
    char text[FEN_TEXT_SIZE];
    writeFen(text);
    printFen(text);
}

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
    search::perftOnThreads(static_cast<int>(depth));
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
    search::protocolClock = false;
    installConsoleReports();
}

void newGame() {
    board::setupInitialPosition();
    search::clearTranspositionTable();
    book::clearGameText();
    book::loadBook();
    board::startGameRecord(0, 1);
    book::gameFromInitialPosition = true;
    search::nodeCount = 0;
    for (int entry = 1; entry < board::GAME_HISTORY_SIZE; ++entry) board::GameHistory[entry] = 0;
    outOfTime = false;
    search::rootRepetition = false;
    enginePlays = false;
    book::bookActive = true;
}

bool readMoveTime(const char* argument) {
    long long milliseconds = 0;
    if (argument != nullptr && is(argument, "off")) {
        milliseconds = 0;
    } else if (!parseSeconds(argument, milliseconds)) {
        return false;
    }
    if (milliseconds > MAX_MOVE_TIME_MS) milliseconds = MAX_MOVE_TIME_MS;
    search::moveTimeMs = static_cast<int>(milliseconds);
    return true;
}

void setStrengthCommand(const char* argument, const char* line) {
    long long elo = 0;
    if (argument != nullptr && is(argument, "off")) {
        search::clearStrength();
    } else if (!parseInteger(argument, elo) || elo < search::STRENGTH_MIN_ELO || elo > search::STRENGTH_MAX_ELO ||
               !search::setStrength(static_cast<int>(elo))) {
        printStrengthError(line);
    }
}

void setThreadsCommand(const char* command, const char* argument, const char* line) {
    long long count = 0;
    if (!parseInteger(argument, count) || !search::setThreadCount(count)) printThreadsError(command, line);
}

bool takeBackMoves(int moves) {
    if (board::gamePly < moves) return false;
    for (int move = 0; move < moves; ++move) board::takeBackGameMove();
    book::takeBackGameText(board::gamePly);
    return true;
}

void takeBack(int moves, const char* line) {
    if (!takeBackMoves(moves)) printError(moves == 1 ? "no move to take back" : "no two moves to take back", line);
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
        consoleThink(board::gamePly);
    } else if (std::strcmp(command, "load") == 0) {
        if (argument == nullptr)
            printError("load needs a file name or init", original);
        else
            loadPosition(argument);
        // The console writes castling as the game in hand plays it.
        chess960Notation = board::chess960Castling;
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
    } else if (is(command, "st")) {
        if (!readMoveTime(argument)) printError(MOVE_TIME_ERROR, original);
    } else if (is(command, "sd")) {
        setDepthLimit(argument, original);
    } else if (is(command, "strength")) {
        setStrengthCommand(argument, original);
    } else if (is(command, "threads")) {
        setThreadsCommand(command, argument, original);
    } else if (is(command, "new")) {
        newGame();
        chess960Notation = false;
    } else if (is(command, "new960")) {
        newChess960Game(argument, original);
    } else if (is(command, "undo")) {
        takeBack(1, original);
    } else if (is(command, "remove")) {
        takeBack(2, original);
    } else if (is(command, "fen")) {
        printPosition();
    } else if (is(command, "pgn")) {
        printGamePgn();
    } else if (is(command, "help")) {
        printHelp();
    } else {
        userMove(command);
    }
    return true;
}

void consoleLoop() {
    char line[LINE_BUFFER_SIZE];
    while (readLine(line, LINE_BUFFER_SIZE, standardInput) != LineEnd::STREAM_END) {
        if (!handleConsoleLine(line)) return;
        // A terminal shows each line at once; a program driving the console through a pipe
        // must see a command's whole answer before it sends the next one.
        flushOutput();
    }
}

}  // namespace frontend
