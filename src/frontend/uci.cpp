// UCI on top of the same search: "position" rebuilds the game from its moves,
// "go" searches without playing, and lines that come during a search are
// answered ("isready", "ponderhit") or end it ("stop", "quit", anything else).
#include "frontend/uci.h"

#include <cctype>
#include <climits>
#include <cstdint>
#include <csignal>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "board/attacks.h"
#include "board/keys.h"
#include "board/makemove.h"
#include "board/perft.h"
#include "board/position.h"
#include "board/repetition.h"
#include "book/book.h"
#include "frontend/console.h"
#include "frontend/input.h"
#include "frontend/fen.h"
#include "frontend/movetext.h"
#include "frontend/output.h"
#include "frontend/reports.h"
#include "frontend/thinking.h"
#include "frontend/words.h"
#include "movegen/generate.h"
#include "movegen/movelist.h"
#include "search/pv.h"
#include "search/rootmoves.h"
#include "search/search.h"
#include "search/strength.h"
#include "search/think.h"
#include "search/threads.h"
#include "search/timecontrol.h"
#include "search/transposition.h"

namespace frontend {

namespace {

constexpr int INFO_TEXT_SIZE = 512;
constexpr int INFINITE_BUDGET_MS = INT_MAX;
constexpr int MAX_UCI_DEPTH = MAX_PLY - 1;
constexpr int FEN_FIELDS = 6;
constexpr unsigned CLOCK_CHECK_MASK = 64 - 1;
// "position startpos moves ..." grows by five or six characters a ply: room for the longest
// game the history table takes, where the console's 256 would cut a game after 23 moves.
constexpr int UCI_LINE_SIZE = 6 * board::GAME_HISTORY_SIZE + 1024;

// UCI_Elo's default when UCI_LimitStrength is first checked: a level from the calibrated table.
constexpr int DEFAULT_UCI_ELO = 1400;

bool ownBook = true;
// UCI_LimitStrength and UCI_Elo: the search's level follows them whenever either changes.
bool limitStrength = false;
long long uciElo = DEFAULT_UCI_ELO;
// The Ponder option: an interface that ponders is told the reply the engine expects.
bool ponderOption = false;
// Set by "go ponder" until "ponderhit" or "stop"; the search has no clock meanwhile and
// is given ponderHitBudget from the moment of "ponderhit".
bool pondering = false;
int ponderHitBudget = 0;
int ponderHitSoftLimit = 0;
bool quitRequested = false;
bool stopRequested = false;
long long nodeLimit = 0;
unsigned interruptCalls = 0;
// Lines this long live in static buffers, never on the stack of a search.
char driverLine[UCI_LINE_SIZE];
char searchLine[UCI_LINE_SIZE];
char searchWords[UCI_LINE_SIZE];
// Lines that arrived during a search and are obeyed after "bestmove", in order: a
// "setoption" waits without ending the search, anything else ends it.
constexpr int PENDING_LINES = 4;
char PendingLines[PENDING_LINES][UCI_LINE_SIZE];
int pendingFirst = 0;
int pendingCount = 0;
// False after a "position" the engine could not take whole: "go" must not answer for another game.
bool positionKnown = true;

bool is(const char* word, const char* expected) { return word != nullptr && std::strcmp(word, expected) == 0; }

[[gnu::format(printf, 1, 2)]] void info(const char* format, ...) {
    char text[INFO_TEXT_SIZE];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    printUciLine(text);
}

void handshake() {
    printUciLine("id name Morvelline");
    printUciLine("id author the Morvelline developers");
    info("option name Hash type spin default %zu min %zu max %zu", search::TT_DEFAULT_MB, search::TT_MIN_MB,
         search::TT_MAX_MB);
    printUciLine("option name Clear Hash type button");
    info("option name Threads type spin default %d min %d max %d", search::MIN_THREADS, search::MIN_THREADS,
         search::MAX_THREADS);
    info("option name MultiPV type spin default 1 min 1 max %d", search::MAX_MULTI_PV);
    info("option name Move Overhead type spin default %d min %d max %d", search::DEFAULT_MOVE_OVERHEAD_MS,
         search::MIN_MOVE_OVERHEAD_MS, search::MAX_MOVE_OVERHEAD_MS);
    printUciLine("option name OwnBook type check default true");
    printUciLine("option name Ponder type check default false");
    printUciLine("option name UCI_Chess960 type check default false");
    printUciLine("option name UCI_LimitStrength type check default false");
    info("option name UCI_Elo type spin default %d min %d max %d", DEFAULT_UCI_ELO, search::STRENGTH_MIN_ELO,
         search::STRENGTH_MAX_ELO);
    printUciLine("uciok");
}

// Keeps a line for after the search; the search stops reading before the room is full.
void keepPendingLine(const char* line) {
    std::memcpy(PendingLines[(pendingFirst + pendingCount) % PENDING_LINES], line, UCI_LINE_SIZE);
    ++pendingCount;
}

bool takePendingLine(char* line) {
    if (pendingCount == 0) return false;
    std::memcpy(line, PendingLines[pendingFirst], UCI_LINE_SIZE);
    pendingFirst = (pendingFirst + 1) % PENDING_LINES;
    --pendingCount;
    return true;
}

// The soft limit counts from now: the start of a timed search, or "ponderhit" (0: none).
void startSoftLimit(int lengthMs) {
    search::setSoftLimit(lengthMs, search::elapsedMilliseconds(search::thinkStart, search::readClock()));
}

// Lines read while searching: answered at once or kept for afterwards.
void takeLineDuringSearch() {
    char* const line = searchLine;
    if (readLine(line, UCI_LINE_SIZE, standardInput) == LineEnd::STREAM_END) {
        quitRequested = true;
        return;
    }
    std::memcpy(searchWords, line, sizeof searchWords);
    const Words split = splitWords(searchWords);
    if (split.count == 0) return;
    const char* command = split.word[0];
    if (is(command, "isready")) {
        printUciLine("readyok");
    } else if (is(command, "stop")) {
        stopRequested = true;
    } else if (is(command, "quit")) {
        quitRequested = true;
    } else if (is(command, "ponderhit")) {
        // The move pondered on was played: the budget runs from now. The start stays, so
        // the thinking lines' time and speed still count the whole search.
        if (pondering) {
            pondering = false;
            const long long budget =
                search::elapsedMilliseconds(search::thinkStart, search::readClock()) + ponderHitBudget;
            search::timeBudget = static_cast<int>(budget < INFINITE_BUDGET_MS ? budget : INFINITE_BUDGET_MS);
            startSoftLimit(ponderHitSoftLimit);
        }
    } else if (is(command, "debug")) {
        // nothing to do
    } else {
        // A setting changes the next search, never the running one; any other line ends the
        // search. Reading stops once the room is full, so no line is ever lost.
        keepPendingLine(line);
        if (!is(command, "setoption") || pendingCount == PENDING_LINES) stopRequested = true;
    }
}

bool uciInterrupts() {
    if (nodeLimit > 0 && search::totalNodes() >= nodeLimit) return true;
    // The search reads the clock only at a node that starts on a multiple of 4096 nodes, and
    // quiescence counts past many of them: short budgets were overrun by up to 100 ms.
    if ((++interruptCalls & CLOCK_CHECK_MASK) == 0 && search::timeUp()) return true;
    while (!stopRequested && !quitRequested && lineWaitingPaced(standardInput)) takeLineDuringSearch();
    return stopRequested || quitRequested;
}

void setStartPosition() {
    board::setupInitialPosition();
    board::startGameRecord(0, 1);
    book::gameFromInitialPosition = true;
}

PieceCode promotionCode(char letter) {
    const bool white = board::sideToMove == WHITE;
    switch (letter) {
        case 'q': return white ? WHITE_QUEEN : BLACK_QUEEN;
        case 'r': return white ? WHITE_ROOK : BLACK_ROOK;
        case 'b': return white ? WHITE_BISHOP : BLACK_BISHOP;
        case 'n': return white ? WHITE_KNIGHT : BLACK_KNIGHT;
        default: return EMPTY;
    }
}

// The legal move this text names in the current position, in UCI's form.
bool legalMoveOf(const char* text, Move& move) {
    const std::size_t length = std::strlen(text);
    if (length < 4 || length > 5) return false;
    const int fromCol = text[0] - 'a';
    const int fromRow = text[1] - '1';
    const int toCol = text[2] - 'a';
    const int toRow = text[3] - '1';
    if (!onBoard(fromRow, fromCol) || !onBoard(toRow, toCol)) return false;
    const PieceCode promotion = length == 5 ? promotionCode(text[4]) : EMPTY;
    if (length == 5 && promotion == EMPTY) return false;
    return legalMoveOfSquares(fromRow, fromCol, toRow, toCol, promotion, move);
}

// Plays one move of the list if it is legal; the list stops at the first that is not.
bool replayMove(const char* text) {
    Move move{};
    if (!legalMoveOf(text, move)) return false;
    search::playGameMove(move);
    return true;
}

// The move list, read in turns of MAX_WORDS words; false when a move is illegal or the
// game outgrows the history, with a message either way.
bool replayMoves(Words words, int index) {
    for (;;) {
        for (; index < words.count; ++index) {
            if (board::gamePly >= board::MAX_GAME_PLY) {
                info("info string position not set: the game is longer than %d plies", board::MAX_GAME_PLY);
                positionKnown = false;
                return false;
            }
            if (!replayMove(words.word[index])) {
                info("info string illegal move %s: the moves stop before it", words.word[index]);
                return false;
            }
        }
        if (words.rest == nullptr) return true;
        words = splitWords(words.rest);
        index = 0;
    }
}

void position(const Words& words, bool cut) {
    if (cut) {
        info("info string position not set: the line is longer than %d bytes", UCI_LINE_SIZE - 1);
        positionKnown = false;
        return;
    }
    int index = 1;
    const bool startpos = index < words.count && is(words.word[index], "startpos");
    if (startpos) {
        setStartPosition();
        ++index;
    } else if (index < words.count && is(words.word[index], "fen")) {
        ++index;
        int fieldCount = 0;
        while (index + fieldCount < words.count && fieldCount < FEN_FIELDS && !is(words.word[index + fieldCount], "moves"))
            ++fieldCount;
        LoadedPosition fen{};
        if (fieldCount < 2 || readFen(words, index, fieldCount, FenFields::ALL_SIX, fen) != nullptr) {
            printUciLine("info string position not set: broken FEN; the previous position stays");
            return;
        }
        // A search from here would read a king in check for the side that just moved, or a pawn
        // that can never move: no game the interface plays stands here, so "go" must not answer.
        if (!isPlayablePosition(fen)) {
            printUciLine("info string position not set: no game reaches it; no position until the next good one");
            positionKnown = false;
            return;
        }
        installPosition(fen);
        index += fieldCount;
    } else {
        printUciLine("info string position not set: expected startpos or fen");
        return;
    }
    positionKnown = true;
    // The book follows a standard game from the start position only.
    book::clearGameText();
    book::loadBook();
    book::bookActive = ownBook && startpos && !chess960Notation;
    while (index < words.count && !is(words.word[index], "moves")) ++index;
    replayMoves(words, index + 1);
}

struct GoRequest {
    UciClock white = {0, 0, 0};
    UciClock black = {0, 0, 0};
    long long moveTime = -1;
    long long depth = 0;
    long long nodes = 0;
    bool infinite = false;
    bool ponder = false;
    // "mate N": asked (with or without a number) and the number as given.
    bool mateAsked = false;
    bool mateHasMoves = false;
    long long mateMoves = 0;
    Move searchMoves[search::MAX_ROOT_MOVES];
    int searchMoveCount = 0;
};

bool isGoWord(const char* word) {
    static constexpr const char* GO_WORDS[] = {"wtime", "btime",    "winc",     "binc",   "movestogo", "depth",
                                               "nodes", "movetime", "infinite", "ponder", "mate",      "perft"};
    for (const char* goWord : GO_WORDS)
        if (is(word, goWord)) return true;
    return false;
}

// "searchmoves" takes the words after it up to the next word of "go"; words that name no
// legal move are left out, and a move named twice counts once.
int readSearchMoves(const Words& words, int index, GoRequest& request) {
    for (; index < words.count && !isGoWord(words.word[index]); ++index) {
        Move move{};
        if (!legalMoveOf(words.word[index], move)) continue;
        bool known = false;
        for (int seen = 0; seen < request.searchMoveCount; ++seen) known = known || sameMove(request.searchMoves[seen], move);
        if (!known && request.searchMoveCount < search::MAX_ROOT_MOVES) request.searchMoves[request.searchMoveCount++] = move;
    }
    return index - 1;
}

GoRequest parseGo(const Words& words) {
    GoRequest request;
    for (int index = 1; index < words.count; ++index) {
        const char* name = words.word[index];
        long long value = 0;
        const bool hasValue = index + 1 < words.count && parseInteger(words.word[index + 1], value);
        if (is(name, "infinite")) {
            request.infinite = true;
            continue;
        }
        if (is(name, "ponder")) {
            request.ponder = true;
            continue;
        }
        if (is(name, "searchmoves")) {
            index = readSearchMoves(words, index + 1, request);
            continue;
        }
        if (is(name, "mate")) {
            request.mateAsked = true;
            request.mateHasMoves = hasValue;
            request.mateMoves = value;
            if (hasValue) ++index;
            continue;
        }
        if (!hasValue) continue;
        if (is(name, "wtime")) request.white = {value, request.white.increment, request.white.movesToGo, true};
        else if (is(name, "btime")) request.black = {value, request.black.increment, request.black.movesToGo, true};
        else if (is(name, "winc")) request.white.increment = value;
        else if (is(name, "binc")) request.black.increment = value;
        else if (is(name, "movestogo")) request.white.movesToGo = request.black.movesToGo = value;
        else if (is(name, "movetime")) request.moveTime = value;
        else if (is(name, "depth")) request.depth = value;
        else if (is(name, "nodes")) request.nodes = value;
        else continue;
        ++index;
    }
    return request;
}

// The soft and hard limits of a "go": only the side's clock has a soft limit (softMs 0: none).
search::TimePlan timePlanFor(const GoRequest& request) {
    if (request.infinite) return {0, INFINITE_BUDGET_MS};
    if (request.moveTime >= 0) {
        const long long budget = request.moveTime - UCI_MOVE_OVERHEAD_MS;
        return {0, static_cast<int>(budget > 1 ? budget : 1)};
    }
    const UciClock& clock = board::sideToMove == WHITE ? request.white : request.black;
    // A clock at zero or below is still a clock: the fastest move, never a search until "stop".
    if (clock.given) return search::planClock({clock.time, clock.increment, clock.movesToGo}, search::moveOverheadMs);
    // No clock at all: bounded by depth or nodes, or until "stop".
    return {0, INFINITE_BUDGET_MS};
}

int budgetFor(const GoRequest& request) { return timePlanFor(request).hardMs; }

// The searched line's second move, when it is legal after the first: the reply to ponder on.
// An iteration cut short sets the root's length to 0 before a root move is done and leaves
// the last finished line in the row, so only a line known to end at one move has none.
bool expectedReply(const Move& best, Move& reply) {
    if (search::pvLength[0] == 1) return false;
    const Move& second = search::PvTable[0][1];
    Move played = best;
    const HashKey savedKey = board::currentKey;
    board::makeMove(played);
    const bool legal =
        search::findLegalMove(second.fromRow, second.fromCol, second.toRow, second.toCol, second.promotion, reply);
    board::unmakeMove(played);
    board::currentKey = savedKey;
    return legal;
}

void printBestMove(const Move* move, bool searched) {
    if (move == nullptr) {
        printUciLine("bestmove 0000");
        return;
    }
    char text[REPLY_BUFFER_SIZE];
    coordinateText(*move, text);
    Move reply{};
    if (ponderOption && searched && expectedReply(*move, reply)) {
        char replyText[REPLY_BUFFER_SIZE];
        coordinateText(reply, replyText);
        info("bestmove %s ponder %s", text, replyText);
    } else {
        info("bestmove %s", text);
    }
}

// "go infinite" answers only after "stop", "go ponder" only after "ponderhit" or "stop",
// also when the search (or the book) has finished before.
void waitForRelease(const GoRequest& request) {
    while ((request.infinite || pondering) && !stopRequested && !quitRequested) {
        // lineWaiting would spin; a blocking read is right here.
        takeLineDuringSearch();
    }
    pondering = false;
}

// A book move is reported as a line of its own, so that every answered "go" shows a score.
void reportBookMove(const Move& move) {
    search::thinkStart = search::readClock();
    search::selDepth = 0;
    const Move line[MAX_PLY] = {move};
    printLine({1, 0, 1, line, 1});
    printUciLine("info string book move");
}

void printRootLeaves(const Move& move, std::int64_t leaves, void*) {
    char text[REPLY_BUFFER_SIZE];
    coordinateText(move, text);
    printPerftMoveLeaves(text, leaves);
}

// "go perft N": the leaves of depth N below each root move, then their total (depth 0: the
// position itself, 1, and no move). No search and no bestmove; a bad depth is only reported.
void goPerft(const Words& words) {
    long long depth = 0;
    if (words.count < 3 || !parseInteger(words.word[2], depth) || depth < 0 || depth > board::maxPerftDepth()) {
        info("info string go perft needs a depth from 0 to %d", board::maxPerftDepth());
        return;
    }
    if (!positionKnown) {
        printUciLine("info string no position to count: the last one was not set");
        return;
    }
    printPerftLeavesTotal(search::perftDivideOnThreads(static_cast<int>(depth), printRootLeaves, nullptr));
}

// A mate in N moves is seen by the iteration of depth 2N - 1. The search already ends at the
// first mate it sees, so a mate search is the plain search without the book; a number it
// cannot reach is refused, and the search goes on as without it.
bool mateSearch(const GoRequest& request, long long depthLimit) {
    if (!request.mateAsked) return false;
    const long long deepest = (depthLimit + 1) / 2;
    if (request.mateHasMoves && request.mateMoves >= 1 && request.mateMoves <= deepest) return true;
    info("info string go mate needs a number of moves from 1 to %lld (the depth limit is %lld plies): searched "
         "without it",
         deepest, depthLimit);
    return false;
}

void go(const Words& words) {
    if (words.count > 1 && is(words.word[1], "perft")) {
        goPerft(words);
        return;
    }
    const GoRequest request = parseGo(words);
    stopRequested = false;
    installUciReports();
    if (!positionKnown) {
        printUciLine("info string no position to search: the last one was not set");
        printBestMove(nullptr, false);
        return;
    }
    pondering = request.ponder;
    search::nodeCount = 0;
    long long depthLimit = request.depth > 0 ? request.depth : maxDepth;
    if (depthLimit > MAX_UCI_DEPTH) depthLimit = MAX_UCI_DEPTH;
    const bool findMate = mateSearch(request, depthLimit);
    // Analysis searches even where the book has a move: its panel must not stay empty. A
    // "searchmoves" list asks about those moves, and a mate search for a mate, not the book's.
    if (book::bookActive && !request.infinite && request.searchMoveCount == 0 && !findMate) {
        book::probeBook(search::PvTable[0][0]);
        if (book::bookActive) {
            Move bookMove = search::PvTable[0][0];
            reportBookMove(bookMove);
            search::holdReplyAtLevel(search::thinkStart, pondering ? INFINITE_BUDGET_MS : budgetFor(request));
            waitForRelease(request);
            printBestMove(&bookMove, false);
            return;
        }
    }
    nodeLimit = request.nodes > 0 ? request.nodes : 0;
    search::rootRepetition = false;
    const search::TimePlan plan = timePlanFor(request);
    ponderHitBudget = plan.hardMs;
    ponderHitSoftLimit = plan.softMs;
    search::timeBudget = pondering ? INFINITE_BUDGET_MS : ponderHitBudget;
    search::thinkStart = search::readClock();
    startSoftLimit(pondering ? 0 : plan.softMs);
    search::restrictRootMoves(request.searchMoves, request.searchMoveCount);
    const search::IterationResult result = search::iterativeDeepening(static_cast<int>(depthLimit));
    nodeLimit = 0;
    search::holdReplyAtLevel(search::thinkStart, search::timeBudget);
    waitForRelease(request);
    Move chosen = search::PvTable[0][0];
    const bool searched = search::rootMoveStored();
    if (searched || search::firstLegalMove(chosen)) {
        search::reportMoveToPlay(chosen, result.depth, result.score);
        printBestMove(&chosen, searched);
    } else {
        // No legal move: still a score, mate or stalemate, when no iteration said it.
        if (!search::anyLineReported()) {
            const bool mated = board::isKingAttacked(board::opponentOf(board::sideToMove));
            printLine({1, mated ? -search::MATE_SCORE : search::DRAW_SCORE, 1, search::PvTable[0], 0});
        }
        printBestMove(nullptr, false);
    }
    search::restrictRootMoves(nullptr, 0);
}

void newUciGame() {
    newGame();
    positionKnown = true;
    // A new game turns the book on; the option still decides.
    book::bookActive = book::bookActive && ownBook;
}

// Option names are not case-sensitive.
bool sameName(const char* name, const char* expected) {
    for (; *name != '\0' && *expected != '\0'; ++name, ++expected)
        if (std::tolower(static_cast<unsigned char>(*name)) != std::tolower(static_cast<unsigned char>(*expected)))
            return false;
    return *name == *expected;
}

// The words from first to before end joined by single spaces.
void joinWords(const Words& words, int first, int end, char* text, std::size_t size) {
    text[0] = '\0';
    for (int index = first; index < end; ++index) {
        if (index > first) std::strncat(text, " ", size - std::strlen(text) - 1);
        std::strncat(text, words.word[index], size - std::strlen(text) - 1);
    }
}

// A check option's value; false, with nothing set, for anything but true or false.
bool readCheck(const char* name, const char* value, bool& setting) {
    if (!is(value, "true") && !is(value, "false")) {
        info("info string %s needs true or false, not \"%s\": unchanged", name, value);
        return false;
    }
    setting = is(value, "true");
    return true;
}

// A spin option's value within its range; false, with nothing set, otherwise.
bool readSpin(const char* name, const char* value, long long minimum, long long maximum, long long& setting) {
    long long number = 0;
    if (!parseInteger(value, number) || number < minimum || number > maximum) {
        info("info string %s needs a whole number from %lld to %lld, not \"%s\": unchanged", name, minimum, maximum,
             value);
        return false;
    }
    setting = number;
    return true;
}

void setHash(const char* value) {
    long long megabytes = 0;
    if (!readSpin("Hash", value, search::TT_MIN_MB, search::TT_MAX_MB, megabytes)) return;
    if (!search::resizeTranspositionTable(static_cast<std::size_t>(megabytes)))
        info("info string Hash %lld MB cannot be had: the table stays at %zu MB", megabytes,
             search::transpositionMegabytes());
}

void applyStrength() {
    if (limitStrength)
        search::setStrength(static_cast<int>(uciElo));
    else
        search::clearStrength();
}

void setOption(const Words& words) {
    // setoption name <id> [value <x>]; both may be several words.
    constexpr std::size_t OPTION_TEXT_SIZE = 256;
    int valueAt = 2;
    while (valueAt < words.count && !is(words.word[valueAt], "value")) ++valueAt;
    char name[OPTION_TEXT_SIZE];
    char value[OPTION_TEXT_SIZE];
    if (words.count < 3 || !is(words.word[1], "name") || valueAt == 2) {
        printUciLine("info string setoption needs: setoption name <id> [value <x>]");
        return;
    }
    joinWords(words, 2, valueAt, name, sizeof name);
    joinWords(words, valueAt + 1, words.count, value, sizeof value);
    if (sameName(name, "Clear Hash")) {
        search::clearTranspositionTable();
    } else if (sameName(name, "Hash")) {
        setHash(value);
    } else if (sameName(name, "Threads")) {
        long long threads = 0;
        if (readSpin("Threads", value, search::MIN_THREADS, search::MAX_THREADS, threads))
            search::setThreadCount(threads);
    } else if (sameName(name, "MultiPV")) {
        long long lines = 0;
        if (readSpin("MultiPV", value, 1, search::MAX_MULTI_PV, lines)) search::multiPvLines = static_cast<int>(lines);
    } else if (sameName(name, "Move Overhead")) {
        long long overhead = 0;
        if (readSpin("Move Overhead", value, search::MIN_MOVE_OVERHEAD_MS, search::MAX_MOVE_OVERHEAD_MS, overhead))
            search::moveOverheadMs = static_cast<int>(overhead);
    } else if (sameName(name, "Ponder")) {
        readCheck("Ponder", value, ponderOption);
    } else if (sameName(name, "UCI_LimitStrength")) {
        if (readCheck("UCI_LimitStrength", value, limitStrength)) applyStrength();
    } else if (sameName(name, "UCI_Elo")) {
        if (readSpin("UCI_Elo", value, search::STRENGTH_MIN_ELO, search::STRENGTH_MAX_ELO, uciElo)) applyStrength();
    } else if (sameName(name, "UCI_Chess960")) {
        // A Chess960 game never plays from the book, which holds standard openings.
        if (readCheck("UCI_Chess960", value, chess960Notation) && chess960Notation) book::bookActive = false;
    } else if (sameName(name, "OwnBook")) {
        if (readCheck("OwnBook", value, ownBook) && !ownBook) book::bookActive = false;
    } else {
        info("info string no option named \"%s\"", name);
    }
}

}  // namespace

bool handleUciLine(char* line) {
    // A line that filled the buffer was cut: a move list that does not end where the interface's does.
    const bool cut = std::strlen(line) >= static_cast<std::size_t>(UCI_LINE_SIZE - 1);
    const Words words = splitWords(line);
    if (words.count == 0) return true;
    const char* command = words.word[0];
    if (is(command, "quit")) return false;
    if (is(command, "uci")) handshake();
    else if (is(command, "isready")) {
        // Interfaces wait here before they start the clock: the table's pages are backed now.
        search::prepareTranspositionTable();
        printUciLine("readyok");
    }
    else if (is(command, "ucinewgame")) newUciGame();
    else if (is(command, "position")) position(words, cut);
    else if (is(command, "go")) go(words);
    else if (is(command, "setoption")) setOption(words);
    // "stop" or "ponderhit" while idle, "debug", "register" and unknown words: nothing to do.
    return !quitRequested;
}

void uciDriver() {
    uciMode = true;
    // UCI_Chess960 starts false, whatever game the console had.
    chess960Notation = false;
    installUciReports();
    setProtocolOutput(true);
    search::inputInterrupts = uciInterrupts;
    std::signal(SIGINT, SIG_IGN);
    handshake();
    char* const line = driverLine;
    for (;;) {
        // Lines kept during a search come first.
        if (!takePendingLine(line) && readLine(line, UCI_LINE_SIZE, standardInput) == LineEnd::STREAM_END) return;
        if (!handleUciLine(line)) return;
    }
}

}  // namespace frontend
