// A game's moves are written from the game record: each one needs the position before
// it (for its SAN) and after it (for + and #), so the game is replayed from its start.
#include "frontend/pgn.h"

#include <cstdio>
#include <cstring>
#include <ctime>

#include "board/attacks.h"
#include "board/castling.h"
#include "board/repetition.h"
#include "frontend/fen.h"
#include "frontend/movetext.h"
#include "frontend/output.h"
#include "frontend/san.h"

namespace frontend {

bool EngineMoves[board::GAME_HISTORY_SIZE];

namespace {

constexpr const char* ENGINE_NAME = "Morvelline";
constexpr const char* PERSON_NAME = "Player";
// A side whose moves came from both, after "move" was typed for a person's side.
constexpr const char* BOTH_NAMES = "Player and Morvelline";
constexpr const char* UNKNOWN_TAG = "?";
constexpr const char* EVENT_NAME = "Console game";
// A console game belongs to no round of anything: PGN's "not applicable".
constexpr const char* NO_ROUND = "-";
constexpr const char* START_FEN = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
constexpr const char* WHITE_WINS = "1-0";
constexpr const char* BLACK_WINS = "0-1";
constexpr const char* DRAWN = "1/2-1/2";
constexpr const char* GAME_GOES_ON = "*";
// PGN's export format keeps move text lines under 80 characters.
constexpr int MOVE_LINE_WIDTH = 79;
constexpr int DATE_TEXT_SIZE = 16;
constexpr int NUMBER_TEXT_SIZE = 16;

Color moverOf(const Move& move) { return isWhitePiece(move.piece) ? WHITE : BLACK; }

// The end the console announces (mate, stalemate) or the search sees (a third repetition).
const char* currentResult() {
    LegalMoves legal;
    collectLegalMoves(legal);
    if (legal.count == 0) {
        if (!board::isKingAttacked(board::opponentOf(board::sideToMove))) return DRAWN;
        return board::sideToMove == WHITE ? BLACK_WINS : WHITE_WINS;
    }
    return board::isRepetition() ? DRAWN : GAME_GOES_ON;
}

const char* playerName(Color side) {
    bool engine = false;
    bool person = false;
    for (int ply = 0; ply < board::gamePly; ++ply) {
        if (moverOf(board::GameMoves[ply].move) != side) continue;
        if (EngineMoves[ply])
            engine = true;
        else
            person = true;
    }
    if (engine && person) return BOTH_NAMES;
    if (engine) return ENGINE_NAME;
    return person ? PERSON_NAME : UNKNOWN_TAG;
}

// Move text in lines that break between tokens.
struct MoveLine {
    char text[MOVE_LINE_WIDTH + 1];
    int used;
};

void append(MoveLine& line, const char* token) {
    const int length = static_cast<int>(std::strlen(token));
    if (line.used > 0 && line.used + 1 + length > MOVE_LINE_WIDTH) {
        printPgnLine(line.text);
        line.used = 0;
    }
    if (line.used > 0) line.text[line.used++] = ' ';
    std::memcpy(line.text + line.used, token, static_cast<std::size_t>(length));
    line.used += length;
    line.text[line.used] = '\0';
}

}  // namespace

void recordMover(bool engine) {
    if (board::gamePly > 0) EngineMoves[board::gamePly - 1] = engine;
}

void printGamePgn() {
    const char* result = currentResult();
    const char* white = playerName(WHITE);
    const char* black = playerName(BLACK);
    const int plies = board::gamePly;
    for (int ply = plies; ply > 0; --ply) board::takeBackGameMove();

    char startFen[FEN_TEXT_SIZE];
    writeFen(startFen);
    char date[DATE_TEXT_SIZE] = "????.??.??";
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (localtime_r(&now, &local) != nullptr) std::strftime(date, sizeof date, "%Y.%m.%d", &local);
    printPgnTag("Event", EVENT_NAME);
    printPgnTag("Site", UNKNOWN_TAG);
    printPgnTag("Date", date);
    printPgnTag("Round", NO_ROUND);
    printPgnTag("White", white);
    printPgnTag("Black", black);
    printPgnTag("Result", result);
    // A Chess960 game names its variant and always its start, also the standard one.
    const bool chess960 = chess960Notation || board::chess960Castling;
    if (chess960) printPgnTag("Variant", "Chess960");
    if (chess960 || std::strcmp(startFen, START_FEN) != 0) {
        printPgnTag("SetUp", "1");
        printPgnTag("FEN", startFen);
    }
    printPgnLine("");

    MoveLine line{};
    int moveNumber = board::firstMoveNumber;
    for (int ply = 0; ply < plies; ++ply) {
        Move move = board::GameMoves[ply].move;
        char san[SAN_TEXT_SIZE];
        writeSan(move, true, san);
        // A move number stays on the line of its move.
        char token[NUMBER_TEXT_SIZE + SAN_TEXT_SIZE];
        if (board::sideToMove == WHITE)
            std::snprintf(token, sizeof token, "%d. %s", moveNumber, san);
        else if (ply == 0)
            std::snprintf(token, sizeof token, "%d... %s", moveNumber, san);
        else
            std::snprintf(token, sizeof token, "%s", san);
        append(line, token);
        if (board::sideToMove == BLACK) ++moveNumber;
        board::makeGameMove(move);
    }
    append(line, result);
    printPgnLine(line.text);
}

}  // namespace frontend
