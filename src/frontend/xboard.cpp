// The protocol's play states: the engine plays Black after "new", neither side in force
// mode, the side to move after "go", and answers an interface move when it plays the side
// then on move. "edit" sets up a position; "undo" and "remove" take moves back. The second
// version adds its features, "ping", "setboard", "usermove", options and analysis mode.
#include "frontend/xboard.h"

#include <climits>
#include <csignal>
#include <cstring>

#include "board/keys.h"
#include "board/position.h"
#include "book/book.h"
#include "frontend/console.h"
#include "frontend/fen.h"
#include "frontend/input.h"
#include "frontend/movetext.h"
#include "frontend/output.h"
#include "frontend/reports.h"
#include "frontend/words.h"
#include "movegen/movelist.h"
#include "search/pv.h"
#include "search/report.h"
#include "search/search.h"
#include "search/strength.h"
#include "search/think.h"
#include "search/threads.h"
#include "search/timecontrol.h"
#include "search/transposition.h"

namespace frontend {

int protocolVersion = 1;
bool postThinking = true;

namespace {

constexpr int RESIGN_BELOW_CENTISECONDS = 5;
constexpr int MILLISECONDS_PER_SECOND = 1000;
constexpr int SECONDS_PER_MINUTE = 60;
constexpr int MAX_LEVEL_MS = search::CONSOLE_TIME_BUDGET_MS;
// The piece letters of edit mode, white codes; the colour chosen with "c" maps them to black.
constexpr char EDIT_LETTERS[] = "RNBQKP";
constexpr PieceCode EDIT_WHITE_PIECES[] = {WHITE_ROOK, WHITE_KNIGHT, WHITE_BISHOP,
                                           WHITE_QUEEN, WHITE_KING, WHITE_PAWN};
constexpr int FEN_FIELDS = 6;
constexpr long long MILLISECONDS_PER_CENTISECOND = 10;
// Analysis has no clock: it ends with input, a mate score or the depth limit.
constexpr int ANALYSIS_BUDGET_MS = INT_MAX;
constexpr const char* OWN_BOOK_OPTION = "OwnBook";
constexpr const char* CLEAR_HASH_OPTION = "Clear Hash";
// The playing level as an Elo; its top is the full strength, which is the level turned off.
constexpr const char* STRENGTH_OPTION = "Strength";
constexpr const char* MOVE_OVERHEAD_OPTION = "Move Overhead";
constexpr std::size_t ERROR_REASON_SIZE = 64;

// The side the engine plays while enginePlays is set (enginePlays clear: force mode).
Color engineSide = BLACK;

// Edit mode: the board being set up and the colour of the pieces placed next.
bool editing = false;
LoadedPosition editBoard{};
Color editColor = WHITE;
// The side to move of the board being set up: unchanged by edit mode itself.
Color editSide = WHITE;
// The protocol sets up a Black-to-move board with "a2a3" then "edit". An interface that sends
// it where a2a3 cannot be played (PyChess does, without "new") still means Black to move.
bool blackSetupRefused = false;

// The book option of the second version; the first always plays from the book.
bool ownBook = true;

// The move the engine expects next in a position: the reply its search saw to its own move,
// or analysis's best move. Offered by "hint" only while the position is still that one.
struct ExpectedMove {
    bool known;
    HashKey key;
    Move move;
};
ExpectedMove expected{};

// Analysis mode: the search runs on the current position whenever no line waits. It is
// started again after every line that may have changed what it searches ("stale"), and
// after a search cut short by a line; a search that ended by itself waits for input.
bool analysing = false;
bool analysisStale = false;
bool analysisCut = false;
bool inputEnded = false;
// A line read during an analysis search that it cannot answer there; obeyed next.
char pendingLine[LINE_BUFFER_SIZE];
bool havePendingLine = false;

// What "." reports, followed from the nodes the search asks about input: a node at the root
// starts an iteration, a node one ply down with a board not seen yet in it starts a root move
// (a re-search shows the same key, the null move the root's own board).
struct AnalysisProgress {
    int depth;
    int movesTotal;
    int movesStarted;
    HashKey startedKeys[MAX_MOVES];
    PieceCode rootBoard[BOARD_SIZE][BOARD_SIZE];
    bool finished;
    long long finishedCentiseconds;
};
AnalysisProgress progress{};

bool is(const char* word, const char* expectedWord) {
    return word != nullptr && std::strcmp(word, expectedWord) == 0;
}

// Waiting input ends a think, but only once it has a searched move: a line that is
// already waiting when the think starts must not make it play an unsearched one.
bool protocolInterrupts() { return search::rootMoveStored() && inputWaitingPaced(standardInput); }

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
    search::timeReceived = true;
    // The second version plans from the whole clock: a clock at its end still gets the fastest move.
    if (search::timeLeft < RESIGN_BELOW_CENTISECONDS && !search::wholeClock) outOfTime = true;
}

// "5" minutes or "0:30" minutes and seconds; characters after them are ignored, as the protocol asks.
bool parseLevelBase(const char* text, long long& milliseconds) {
    if (text == nullptr || *text < '0' || *text > '9') return false;
    long long minutes = 0;
    for (; *text >= '0' && *text <= '9'; ++text)
        if (minutes < MAX_LEVEL_MS) minutes = minutes * 10 + (*text - '0');
    long long seconds = 0;
    if (*text == ':') {
        if (*++text < '0' || *text > '9') return false;
        for (; *text >= '0' && *text <= '9'; ++text)
            if (seconds < MAX_LEVEL_MS) seconds = seconds * 10 + (*text - '0');
    }
    milliseconds = (minutes * SECONDS_PER_MINUTE + seconds) * MILLISECONDS_PER_SECOND;
    if (milliseconds > MAX_LEVEL_MS) milliseconds = MAX_LEVEL_MS;
    return true;
}

// "level MPS BASE INC"; a "level" replaces an "st" given before it.
void setLevel(const Words& words, const char* line) {
    long long moves = 0;
    long long baseMs = 0;
    long long incrementMs = 0;
    if (words.count < 4 || !parseInteger(words.word[1], moves) || moves < 0 ||
        !parseLevelBase(words.word[2], baseMs) || !parseSeconds(words.word[3], incrementMs)) {
        printError("level needs MPS BASE INC", line);
        return;
    }
    search::level = {static_cast<int>(moves), static_cast<int>(baseMs),
                     static_cast<int>(incrementMs > MAX_LEVEL_MS ? MAX_LEVEL_MS : incrementMs)};
    search::moveTimeMs = 0;
}

// "sd DEPTH": the protocol allows any depth; the search goes no deeper than its default.
void setDepthLimit(const char* argument, const char* line) {
    long long depth = 0;
    if (!parseInteger(argument, depth) || depth < 1) {
        printError("sd needs a depth of 1 or more", line);
        return;
    }
    maxDepth = static_cast<std::uint8_t>(depth > DEFAULT_MAX_DEPTH ? DEFAULT_MAX_DEPTH : depth);
}

// The reply the search expected to the move just played, when it still is a legal move.
void rememberExpectedReply(int plyBefore) {
    expected.known = false;
    // A book move or no move at all (resign, a claim) leaves nothing searched to offer.
    if (board::gamePly != plyBefore + 1 || book::bookActive || search::pvLength[0] == 1) return;
    const Move& reply = search::PvTable[0][1];
    expected.known = search::findLegalMove(reply.fromRow, reply.fromCol, reply.toRow, reply.toCol,
                                           reply.promotion, expected.move);
    expected.key = board::currentKey;
}

void engineThinks() {
    const int plyBefore = board::gamePly;
    search::think();
    if (protocolVersion >= SECOND_PROTOCOL_VERSION) rememberExpectedReply(plyBefore);
}

// The engine thinks and moves when it plays the side on move; never while analysing.
void answerIfOnMove() {
    if (enginePlays && !analysing && board::sideToMove == engineSide) engineThinks();
}

void startEditing(bool blackToMove) {
    editing = true;
    editColor = WHITE;
    editSide = blackToMove ? BLACK : board::sideToMove;
    std::memcpy(editBoard.board, board::Board, sizeof editBoard.board);
}

bool isHomeSquare(int row, int col, PieceCode piece) { return editBoard.board[row][col] == piece; }

// "." installs the board: side to move unchanged, castling where king and rook stand at home,
// no en-passant square, a new history and the book off.
void finishEditing() {
    editing = false;
    if (!hasPlayablePlacement(editBoard)) {
        printError("illegal position: each side needs one king and no pawn on the first or last rank", ".");
        return;
    }
    editBoard.side = editSide;
    editBoard.nonPawnPieces = 0;
    for (auto& row : editBoard.board)
        for (PieceCode piece : row)
            if (isOfficer(piece)) ++editBoard.nonPawnPieces;
    const auto rights = [](int row, PieceCode king, PieceCode rook) {
        if (!isHomeSquare(row, KING_START_COL, king)) return 0;
        return (isHomeSquare(row, KINGSIDE_ROOK_COL, rook) ? CASTLE_KINGSIDE : 0) |
               (isHomeSquare(row, QUEENSIDE_ROOK_COL, rook) ? CASTLE_QUEENSIDE : 0);
    };
    editBoard.whiteCastling = rights(FIRST_ROW, WHITE_KING, WHITE_ROOK);
    editBoard.blackCastling = rights(LAST_ROW, BLACK_KING, BLACK_ROOK);
    editBoard.whiteEpFile = editBoard.blackEpFile = NO_EP_FILE;
    editBoard.halfMoves = 0;
    editBoard.moveNumber = 1;
    installPosition(editBoard);
}

// One line of edit mode; anything but its own commands is refused and nothing is installed before ".".
void handleEditLine(const char* command) {
    const std::size_t length = std::strlen(command);
    const bool square = length == 3 && command[1] >= 'a' && command[1] <= 'h' && command[2] >= '1' && command[2] <= '8';
    const char* letter = square && command[0] != '\0' ? std::strchr(EDIT_LETTERS, command[0]) : nullptr;
    if (std::strcmp(command, "#") == 0) {
        for (auto& row : editBoard.board)
            for (PieceCode& piece : row) piece = EMPTY;
    } else if (std::strcmp(command, "c") == 0) {
        editColor = board::opponentOf(editColor);
    } else if (std::strcmp(command, ".") == 0) {
        finishEditing();
    } else if (square && (command[0] == 'x' || letter != nullptr)) {
        PieceCode piece = EMPTY;
        if (letter != nullptr) {
            piece = EDIT_WHITE_PIECES[letter - EDIT_LETTERS];
            if (editColor == BLACK) piece = WHITE_PAWN - piece;
        }
        editBoard.board[command[2] - '1'][command[1] - 'a'] = piece;
    } else {
        printError("not an edit command", command);
    }
}

void announceFeatures(const char* argument) {
    long long version = 0;
    // "protover 1", or a version that is no number, keeps the first version's silence.
    if (argument == nullptr || !parseInteger(argument, version) || version < SECOND_PROTOCOL_VERSION) return;
    protocolVersion = version > INT_MAX ? INT_MAX : static_cast<int>(version);
    search::wholeClock = true;
    printFeatureStart();
    printFeatures();
    printCheckOptionFeature(OWN_BOOK_OPTION, ownBook);
    printButtonOptionFeature(CLEAR_HASH_OPTION);
    const int level = search::strengthElo();
    printSpinOptionFeature(STRENGTH_OPTION, level == 0 ? search::STRENGTH_MAX_ELO : level, search::STRENGTH_MIN_ELO,
                           search::STRENGTH_MAX_ELO);
    printSpinOptionFeature(MOVE_OVERHEAD_OPTION, search::moveOverheadMs, search::MIN_MOVE_OVERHEAD_MS,
                           search::MAX_MOVE_OVERHEAD_MS);
    // The interface waits for the features' end: the table's pages are backed meanwhile.
    search::prepareTranspositionTable();
    printFeatureEnd();
}

void answerPing(const char* argument, const char* line) {
    long long number = 0;
    if (argument != nullptr && parseInteger(argument, number))
        printPong(argument);
    else
        printError("ping needs a number", line);
}

// "setboard FEN": installed only when it is a position the engine can play; else the old one
// stays, and the answer names the position as it came. PyChess stops its analysers with an
// empty board and skips an error whose text holds that board; any other one it shows a person.
void setBoard(const Words& words, const char* line) {
    const int fields = words.count - 1 < FEN_FIELDS ? words.count - 1 : FEN_FIELDS;
    LoadedPosition fen{};
    if (readFen(words, 1, fields, FenFields::ALL_SIX, fen) != nullptr || !isPlayablePosition(fen)) {
        const char* received = line;
        while (*received == ' ') ++received;
        received += std::strlen("setboard");
        while (*received == ' ') ++received;
        printIllegalPosition(*received != '\0' ? received : "none given");
        return;
    }
    installPosition(fen);
}

// "usermove MOVE": the interface sent a move, so whatever fails is an illegal move to it.
void playInterfaceMove(const char* move, const char* line) {
    Move parsed{};
    if (move == nullptr ||
        (!legalCastlingOfLetters(move, parsed) && parseUserMove(move, parsed) == MoveTextKind::NOT_A_MOVE)) {
        printIllegalMove(move == nullptr ? line : move);
        return;
    }
    if (playUserMove(move)) answerIfOnMove();
}

bool named(const char* text, std::size_t length, const char* name) {
    return length == std::strlen(name) && std::strncmp(text, name, length) == 0;
}

// "option Move Overhead=MS": kept back from the clock, as UCI's option of that name.
void setMoveOverhead(const char* equals, const char* line) {
    long long overhead = 0;
    if (equals == nullptr || !parseInteger(equals + 1, overhead) || overhead < search::MIN_MOVE_OVERHEAD_MS ||
        overhead > search::MAX_MOVE_OVERHEAD_MS) {
        char reason[ERROR_REASON_SIZE];
        std::snprintf(reason, sizeof reason, "Move Overhead needs milliseconds from %d to %d",
                      search::MIN_MOVE_OVERHEAD_MS, search::MAX_MOVE_OVERHEAD_MS);
        printError(reason, line);
        return;
    }
    search::moveOverheadMs = static_cast<int>(overhead);
}

// "option NAME=VALUE" for the options announced as features.
void setOption(const char* line) {
    const char* text = line + std::strlen("option");
    while (*text == ' ') ++text;
    const char* equals = std::strchr(text, '=');
    const std::size_t nameLength = equals == nullptr ? std::strlen(text) : static_cast<std::size_t>(equals - text);
    if (equals == nullptr && std::strcmp(text, CLEAR_HASH_OPTION) == 0) {
        search::clearTranspositionTable();
        return;
    }
    if (named(text, nameLength, STRENGTH_OPTION)) {
        long long elo = 0;
        if (equals == nullptr || !parseInteger(equals + 1, elo) || elo < search::STRENGTH_MIN_ELO ||
            elo > search::STRENGTH_MAX_ELO) {
            char reason[ERROR_REASON_SIZE];
            std::snprintf(reason, sizeof reason, "Strength needs an Elo from %d to %d", search::STRENGTH_MIN_ELO,
                          search::STRENGTH_MAX_ELO);
            printError(reason, line);
        } else if (elo == search::STRENGTH_MAX_ELO) {
            search::clearStrength();
        } else {
            search::setStrength(static_cast<int>(elo));
        }
        return;
    }
    if (named(text, nameLength, MOVE_OVERHEAD_OPTION)) {
        setMoveOverhead(equals, line);
        return;
    }
    if (!named(text, nameLength, OWN_BOOK_OPTION)) {
        printError("unknown option", line);
        return;
    }
    if (equals == nullptr || (std::strcmp(equals + 1, "0") != 0 && std::strcmp(equals + 1, "1") != 0)) {
        printError("OwnBook needs 0 or 1", line);
        return;
    }
    ownBook = equals[1] == '1';
    // Turned on, it waits for the next game: the book follows games from their start.
    if (!ownBook) book::bookActive = false;
}

// "memory N": the table's size in MB, as UCI's Hash; a size that cannot be had keeps the old table.
void setMemory(const char* argument, const char* line) {
    long long megabytes = 0;
    if (argument == nullptr || !parseInteger(argument, megabytes) ||
        megabytes < static_cast<long long>(search::TT_MIN_MB) || megabytes > static_cast<long long>(search::TT_MAX_MB)) {
        printError("memory needs a number of MB from 1 to 65536", line);
        return;
    }
    if (!search::resizeTranspositionTable(static_cast<std::size_t>(megabytes)))
        printError("no table of that size can be had; the old one stays", line);
}

void giveHint() {
    if (!expected.known || expected.key != board::currentKey) return;
    // Checked again: the key is the same position, but only the rules can say so for sure.
    Move move{};
    const Move& hint = expected.move;
    if (!search::findLegalMove(hint.fromRow, hint.fromCol, hint.toRow, hint.toCol, hint.promotion, move)) return;
    char text[REPLY_BUFFER_SIZE];
    moveReplyText(move, text);
    // The reply text's fifth character is the promotion letter or a space; castling in
    // letters keeps them all but the spaces after.
    if (writtenInLetters(move))
        *std::strchr(text, ' ') = '\0';
    else
        text[move.promotion == EMPTY ? 4 : 5] = '\0';
    printHint(text);
}

long long elapsedCentiseconds() {
    return search::elapsedMilliseconds(search::thinkStart, search::readClock()) / MILLISECONDS_PER_CENTISECOND;
}

// "stat01: time nodes ply mvleft mvtot" about the analysis search running or last run.
void reportAnalysis() {
    if (!analysing) return;
    // Asked before the search of a new position has started: nothing searched yet.
    if (analysisStale) {
        const int moves = search::searchableRootMoves();
        printAnalysisStatus(0, 0, 0, moves, moves);
        return;
    }
    if (progress.finished) {
        printAnalysisStatus(progress.finishedCentiseconds, search::totalNodes(), progress.depth, 0, progress.movesTotal);
        return;
    }
    const int done = progress.movesStarted > 0 ? progress.movesStarted - 1 : 0;
    const int left = progress.movesTotal > done ? progress.movesTotal - done : 0;
    printAnalysisStatus(elapsedCentiseconds(), search::totalNodes(), progress.depth, left, progress.movesTotal);
}

void followProgress() {
    const int ply = movegen::searchPly;
    if (ply == 0) {
        ++progress.depth;
        progress.movesStarted = 0;
        return;
    }
    if (ply != 1 || std::memcmp(board::Board, progress.rootBoard, sizeof progress.rootBoard) == 0) return;
    for (int index = 0; index < progress.movesStarted; ++index)
        if (progress.startedKeys[index] == board::currentKey) return;
    if (progress.movesStarted < MAX_MOVES) progress.startedKeys[progress.movesStarted++] = board::currentKey;
}

// Lines that analysis answers without stopping its search; they touch neither board nor search.
bool answeredDuringAnalysis(const Words& words, const char* line) {
    if (words.count == 0) return true;
    const char* command = words.word[0];
    if (is(command, ".")) reportAnalysis();
    else if (is(command, "ping")) answerPing(words.count > 1 ? words.word[1] : nullptr, line);
    else if (is(command, "post")) postThinking = true;
    else if (is(command, "nopost")) postThinking = false;
    else return false;
    return true;
}

void takeLineDuringAnalysis() {
    static char line[LINE_BUFFER_SIZE];
    static char split[LINE_BUFFER_SIZE];
    if (readLine(line, LINE_BUFFER_SIZE, standardInput) == LineEnd::STREAM_END) {
        inputEnded = true;
        return;
    }
    std::memcpy(split, line, sizeof split);
    if (answeredDuringAnalysis(splitWords(split), line)) return;
    std::memcpy(pendingLine, line, sizeof pendingLine);
    havePendingLine = true;
}

// An analysis search stops at the first line it cannot answer, at once: it plays no move.
bool analysisInterrupts() {
    followProgress();
    while (!havePendingLine && !inputEnded && lineWaitingPaced(standardInput)) takeLineDuringAnalysis();
    analysisCut = havePendingLine || inputEnded;
    return analysisCut;
}

void runAnalysis() {
    analysisStale = false;
    if (board::gamePly >= board::MAX_GAME_PLY) return;
    progress.depth = 0;
    progress.movesStarted = 0;
    progress.movesTotal = search::searchableRootMoves();
    progress.finished = false;
    std::memcpy(progress.rootBoard, board::Board, sizeof progress.rootBoard);
    search::rootRepetition = false;
    search::nodeCount = 0;
    search::timeBudget = ANALYSIS_BUDGET_MS;
    search::thinkStart = search::readClock();
    analysisCut = false;
    search::inputInterrupts = analysisInterrupts;
    search::iterativeDeepening(maxDepth);
    search::inputInterrupts = protocolInterrupts;
    // A repetition at the root ends the search here; a think decides that afresh.
    search::rootRepetition = false;
    progress.finished = !analysisCut;
    progress.finishedCentiseconds = elapsedCentiseconds();
    analysisStale = analysisCut;
    expected.known = search::rootMoveStored();
    expected.key = board::currentKey;
    expected.move = search::PvTable[0][0];
}

// The second version's own commands; false when the line is none of them.
bool handleSecondVersionLine(const Words& words, const char* line) {
    const char* command = words.word[0];
    const char* argument = words.count > 1 ? words.word[1] : nullptr;
    if (is(command, "ping")) answerPing(argument, line);
    else if (is(command, "setboard")) setBoard(words, line);
    else if (is(command, "usermove")) playInterfaceMove(argument, line);
    else if (is(command, "analyze")) analysing = true;
    else if (is(command, "exit")) analysing = false;
    else if (is(command, ".")) reportAnalysis();
    else if (is(command, "option")) setOption(line);
    else if (is(command, "memory")) setMemory(argument, line);
    else if (is(command, "hint")) giveHint();
    else if (is(command, "post")) postThinking = true;
    else if (is(command, "nopost")) postThinking = false;
    else if (is(command, "playother")) {
        analysing = false;
        enginePlays = true;
        engineSide = board::opponentOf(board::sideToMove);
    } else {
        return false;
    }
    return true;
}

// "variant fischerandom" until the next "new": castling in Chess960's rules (the position
// comes with "setboard") and in letters, O-O and O-O-O; never from the book.
void setVariant(const char* name, const char* line) {
    if (name != nullptr && is(name, "normal")) {
        chess960Notation = false;
    } else if (name != nullptr && is(name, "fischerandom")) {
        chess960Notation = true;
        book::bookActive = false;
    } else {
        printError("unsupported variant", name != nullptr ? name : line);
    }
}

bool isIgnored(const char* command) {
    static constexpr const char* IGNORED[] = {"random", "post", "nopost", "hard",   "easy", "otim",
                                              "computer", "?",  "result", "draw",   "hint", "bk",
                                              "name",     "rating", "ics", "accepted", "rejected"};
    for (const char* ignored : IGNORED)
        if (std::strcmp(command, ignored) == 0) return true;
    return false;
}

}  // namespace

void enterProtocolMode() {
    xboardMode = true;
    search::protocolClock = true;
    installXboardReports();
    setProtocolOutput(true);
    search::inputInterrupts = protocolInterrupts;
    std::signal(SIGINT, SIG_IGN);
}

bool handleProtocolLine(char* line) {
    char original[LINE_BUFFER_SIZE];
    std::strncpy(original, line, LINE_BUFFER_SIZE - 1);
    original[LINE_BUFFER_SIZE - 1] = '\0';
    const Words words = splitWords(line);
    if (words.count == 0) return true;
    const char* command = words.word[0];
    const char* argument = words.count > 1 ? words.word[1] : nullptr;
    if (std::strcmp(command, "quit") == 0) return false;
    const bool blackSetup = blackSetupRefused;
    blackSetupRefused = false;
    if (editing) {
        handleEditLine(command);
        return true;
    }
    if (std::strcmp(command, "protover") == 0) {
        announceFeatures(argument);
        return true;
    }
    if (protocolVersion >= SECOND_PROTOCOL_VERSION) {
        // Whatever else comes may change the position analysed: the search starts again.
        if (!is(command, ".") && !is(command, "ping") && !is(command, "hint")) analysisStale = true;
        if (handleSecondVersionLine(words, original)) return true;
    }
    if (std::strcmp(command, "go") == 0) {
        analysing = false;
        enginePlays = true;
        engineSide = board::sideToMove;
        engineThinks();
    } else if (std::strcmp(command, "new") == 0) {
        newGame();
        chess960Notation = false;
        enginePlays = true;
        engineSide = BLACK;
        maxDepth = DEFAULT_MAX_DEPTH;
        search::timeReceived = false;
        book::bookActive = book::bookActive && ownBook;
    } else if (std::strcmp(command, "force") == 0) {
        enginePlays = false;
    } else if (std::strcmp(command, "white") == 0 || std::strcmp(command, "black") == 0) {
        // Only between moves: a side and the engine's colour, never anything that would reset the game.
        const Color side = std::strcmp(command, "white") == 0 ? WHITE : BLACK;
        setSideToMove(side);
        enginePlays = true;
        engineSide = board::opponentOf(side);
    } else if (std::strcmp(command, "time") == 0) {
        setClock(argument);
    } else if (std::strcmp(command, "level") == 0) {
        setLevel(words, original);
    } else if (std::strcmp(command, "st") == 0) {
        if (!readMoveTime(argument)) printError(MOVE_TIME_ERROR, original);
    } else if (std::strcmp(command, "sd") == 0) {
        setDepthLimit(argument, original);
    } else if (std::strcmp(command, "strength") == 0) {
        setStrengthCommand(argument, original);
    } else if (std::strcmp(command, "cores") == 0) {
        setThreadsCommand(command, argument, original);
    } else if (std::strcmp(command, "variant") == 0) {
        setVariant(argument, original);
    } else if (std::strcmp(command, "edit") == 0) {
        startEditing(blackSetup);
    } else if (std::strcmp(command, "undo") == 0) {
        takeBack(1, original);
    } else if (std::strcmp(command, "remove") == 0) {
        takeBack(2, original);
    } else if (!isIgnored(command)) {
        const bool whiteToMove = board::sideToMove == WHITE;
        if (playUserMove(command))
            answerIfOnMove();
        else
            blackSetupRefused = !enginePlays && whiteToMove && std::strcmp(command, "a2a3") == 0;
    }
    return true;
}

void protocolDriver() {
    printProtocolEntry();
    char line[LINE_BUFFER_SIZE];
    for (;;) {
        if (analysing && analysisStale && !editing && !havePendingLine && !lineWaiting(standardInput)) runAnalysis();
        // The end of input ends the program, as "quit" does.
        if (inputEnded) return;
        if (havePendingLine) {
            std::memcpy(line, pendingLine, sizeof line);
            havePendingLine = false;
        } else if (readLine(line, LINE_BUFFER_SIZE, standardInput) == LineEnd::STREAM_END) {
            return;
        }
        if (!handleProtocolLine(line)) return;
    }
}

}  // namespace frontend
