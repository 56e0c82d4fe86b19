// The protocol's play states: the engine plays Black after "new", neither side in force
// mode, the side to move after "go", and answers an interface move when it plays the side
// then on move. "edit" sets up a position; "undo" and "remove" take moves back.
#include "frontend/xboard.h"

#include <csignal>
#include <initializer_list>
#include <cstring>

#include "board/keys.h"
#include "board/position.h"
#include "frontend/console.h"
#include "frontend/fen.h"
#include "frontend/input.h"
#include "frontend/movetext.h"
#include "frontend/output.h"
#include "frontend/reports.h"
#include "frontend/words.h"
#include "search/pv.h"
#include "search/search.h"
#include "search/think.h"
#include "search/timecontrol.h"

namespace frontend {

namespace {

constexpr int RESIGN_BELOW_CENTISECONDS = 5;
constexpr int MILLISECONDS_PER_SECOND = 1000;
constexpr int SECONDS_PER_MINUTE = 60;
constexpr int MAX_LEVEL_MS = search::CONSOLE_TIME_BUDGET_MS;
// The piece letters of edit mode, white codes; the colour chosen with "c" maps them to black.
constexpr char EDIT_LETTERS[] = "RNBQKP";
constexpr PieceCode EDIT_WHITE_PIECES[] = {WHITE_ROOK, WHITE_KNIGHT, WHITE_BISHOP,
                                           WHITE_QUEEN, WHITE_KING, WHITE_PAWN};

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
    if (search::timeLeft < RESIGN_BELOW_CENTISECONDS) outOfTime = true;
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

// The engine thinks and moves when it plays the side on move.
void answerIfOnMove() {
    if (enginePlays && board::sideToMove == engineSide) search::think();
}

void startEditing(bool blackToMove) {
    editing = true;
    editColor = WHITE;
    editSide = blackToMove ? BLACK : board::sideToMove;
    std::memcpy(editBoard.board, board::Board, sizeof editBoard.board);
}

bool isHomeSquare(int row, int col, PieceCode piece) { return editBoard.board[row][col] == piece; }

// A board the engine can play: one king a side, no pawn where it could never stand.
bool playableEditBoard() {
    for (int col = FIRST_COL; col <= LAST_COL; ++col)
        for (const int row : {FIRST_ROW, LAST_ROW})
            if (editBoard.board[row][col] == WHITE_PAWN || editBoard.board[row][col] == BLACK_PAWN) return false;
    return hasOneKingEach(editBoard);
}

// "." installs the board: side to move unchanged, castling where king and rook stand at home,
// no en-passant square, a new history and the book off.
void finishEditing() {
    editing = false;
    if (!playableEditBoard()) {
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

bool isIgnored(const char* command) {
    static constexpr const char* IGNORED[] = {"protover", "random", "post",     "nopost", "hard",  "easy",
                                              "otim",     "computer", "?",      "result", "draw",  "hint",
                                              "bk",       "name",     "rating", "ics",    "accepted", "rejected"};
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
    if (std::strcmp(command, "go") == 0) {
        enginePlays = true;
        engineSide = board::sideToMove;
        search::think();
    } else if (std::strcmp(command, "new") == 0) {
        newGame();
        enginePlays = true;
        engineSide = BLACK;
        maxDepth = DEFAULT_MAX_DEPTH;
        search::timeReceived = false;
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
    // The end of input ends the program, as "quit" does.
    while (readLine(line, LINE_BUFFER_SIZE, standardInput) != LineEnd::STREAM_END)
        if (!handleProtocolLine(line)) return;
}

}  // namespace frontend
