// All fixed texts of the program live in this file.
#include "frontend/output.h"

#include <cinttypes>
#include <cstdarg>
#include <cstdio>

#include "search/strength.h"
#include "search/threads.h"

namespace frontend {

namespace {

bool protocolOutput = false;

// Printing a line; protocol lines are flushed as soon as they are complete.
[[gnu::format(printf, 1, 2)]] void emit(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    std::vprintf(format, arguments);
    va_end(arguments);
    if (protocolOutput) std::fflush(stdout);
}

}  // namespace

void setProtocolOutput(bool enabled) { protocolOutput = enabled; }

void printQuitMessage() { emit("Morvelline e' stato interrotto\n"); }

void printBoardText(const char* text) { emit("%s\n", text); }

void printPerftResult(std::int64_t count, std::int64_t milliseconds) {
    emit("%" PRId64 " mosse in %" PRId64 " millisecondi\n", count, milliseconds);
}

void printPerftMoveLeaves(const char* moveText, std::int64_t leaves) { emit("%s: %" PRId64 "\n", moveText, leaves); }

void printPerftLeavesTotal(std::int64_t leaves) { emit("\nNodes searched: %" PRId64 "\n", leaves); }

void printBenchResult(std::int64_t nodes, std::int64_t nodesPerSecond) {
    emit("%" PRId64 " nodes %" PRId64 " nps\n", nodes, nodesPerSecond);
}

void printHash(HashKey computed, HashKey current) {
    emit("Hashvalue: %" PRId64 " (CurrentHash:%" PRId64 ")\n", static_cast<std::int64_t>(computed),
         static_cast<std::int64_t>(current));
}

void printValue(int value) { emit("Value: %d\n", value); }

void printFileMissing() { emit("Il file non esiste\n"); }

void printPositionNotLoaded(const char* reason) { emit("Position not loaded: %s\n", reason); }

void printMoveReply(const char* replyText) { emit("move %s\n", replyText); }

void printResign() { emit("resign\n"); }

void printDrawByRepetition() { emit("Draw by repetition\n"); }

// No line end of its own: the repetition test that follows supplies it.
void printRepetitionResult() { emit("RESULT 1/2-1/2 {Morvelline saw Draw by repetition}"); }

void printMateIn(int moves) { emit("Mate in %d\n", moves); }

void printLoseIn(int moves) { emit("I lose in %d\n", moves); }

void printUnknownCommand(const char* text) { emit("Error (unknown command): %s\n", text); }

void printIllegalMove(const char* text) { emit("Illegal move: %s\n", text); }

void printIllegalMoveBecause(const char* text, const char* reason) { emit("Illegal move: %s (%s)\n", text, reason); }

void printError(const char* reason, const char* text) { emit("Error (%s): %s\n", reason, text); }

void printStrengthError(const char* text) {
    emit("Error (strength needs an Elo from %d to %d, or off): %s\n", search::STRENGTH_MIN_ELO, search::STRENGTH_MAX_ELO,
         text);
}

void printThreadsError(const char* command, const char* text) {
    emit("Error (%s needs a number from %d to %d): %s\n", command, search::MIN_THREADS, search::MAX_THREADS, text);
}

void printThreadsShort(int started, int asked) {
    emit("Error (only %d of %d search threads could be started): searching with %d\n", started, asked, started);
}

void printProtocolEntry() { emit("\n"); }

void printHelp() {
    emit("e2e4, Nf3    play a move, in coordinates (e7e8q; castling is the king's move, e1g1,\n"
         "             or the king taking its rook, e1h1) or in algebraic notation (exd5, O-O,\n"
         "             e8=Q); the engine answers\n"
         "move         the engine plays for the side to move\n"
         "new          a new game\n"
         "new960 [N]   a Chess960 game from start N (0 to 959, 518 the standard one), or a random one\n"
         "undo         take back the last move\n"
         "remove       take back the last two moves\n"
         "st N         think at most N seconds a move (st 2.5); st 0 or st off: no limit\n"
         "sd N         search at most N plies, 1 to 20\n"
         "strength N   play at about N Elo (%d to %d); strength off: full strength\n"
         "threads N    search on N threads (%d to %d), from the next search on\n"
         "board        show the board\n"
         "fen          print the position as FEN\n"
         "pgn          print the game so far as PGN\n"
         "load FILE    set the position from a FEN line in FILE; load init: a new game\n"
         "perft N      count the moves down to depth N\n"
         "hash         print the position key, computed and kept\n"
         "eval         print the static value for the side to move\n"
         "xboard       switch to the xboard protocol\n"
         "uci          switch to UCI\n"
         "help         this list\n"
         "quit         end the program\n",
         search::STRENGTH_MIN_ELO, search::STRENGTH_MAX_ELO, search::MIN_THREADS, search::MAX_THREADS);
}

void printFen(const char* text) { emit("%s\n", text); }

// The values are the engine's own texts and FEN, which hold no quote to escape.
void printPgnTag(const char* name, const char* value) { emit("[%s \"%s\"]\n", name, value); }

void printPgnLine(const char* text) { emit("%s\n", text); }

void printCheckmate(Color winner) { emit("Checkmate: %s wins\n", winner == WHITE ? "White" : "Black"); }

void printStalemate() { emit("Stalemate: the game is drawn\n"); }

void printThinkingLine(const char* text) { emit("%s\n", text); }

void printUciLine(const char* text) { emit("%s\n", text); }

void flushOutput() { std::fflush(stdout); }

void printFeatureStart() { emit("feature done=0\n"); }

void printFeatures() {
    emit("feature myname=\"Morvelline\" ping=1 setboard=1 playother=1 usermove=1 san=0 time=1 draw=0 "
         "sigint=0 sigterm=0 reuse=1 analyze=1 colors=0 variants=\"normal,fischerandom\" memory=1 pause=0 nps=0 "
         "debug=1 exclude=0 setscore=0 name=0 smp=1\n");
}

void printCheckOptionFeature(const char* name, bool value) {
    emit("feature option=\"%s -check %d\"\n", name, value ? 1 : 0);
}

void printSpinOptionFeature(const char* name, int value, int min, int max) {
    emit("feature option=\"%s -spin %d %d %d\"\n", name, value, min, max);
}

void printButtonOptionFeature(const char* name) { emit("feature option=\"%s -button\"\n", name); }

void printFeatureEnd() { emit("feature done=1\n"); }

void printPong(const char* number) { emit("pong %s\n", number); }

void printIllegalPosition(const char* fen) { emit("tellusererror Illegal position: %s\n", fen); }

void printHint(const char* move) { emit("Hint: %s\n", move); }

void printAnalysisStatus(long long centiseconds, long long nodes, int depth, int movesLeft, int movesTotal) {
    emit("stat01: %lld %lld %d %d %d\n", centiseconds, nodes, depth, movesLeft, movesTotal);
}

}  // namespace frontend
