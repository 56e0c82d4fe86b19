// The console announces mates and draws for a person; the xboard protocol resigns and
// claims; UCI reports lines only and prints its own "bestmove".
#include "frontend/reports.h"

#include <cstdio>

#include "frontend/movetext.h"
#include "frontend/output.h"
#include "frontend/thinking.h"
#include "search/report.h"
#include "search/think.h"

namespace frontend {

namespace {

constexpr int INFO_LINE_SIZE = 128;

void consoleOutcome(int score, int mateMoves, bool repetition) {
    if (score < -search::MATE_THRESHOLD) printLoseIn(mateMoves);
    if (score > search::MATE_THRESHOLD) printMateIn(mateMoves);
    if (repetition) printDrawByRepetition();
}

void movePlayed(const Move& move) {
    char reply[REPLY_BUFFER_SIZE];
    moveReplyText(move, reply);
    printMoveReply(reply);
}

void gameTooLong() { printError("game too long", "move"); }

void uciThreadsShort(int started, int asked) {
    char text[INFO_LINE_SIZE];
    std::snprintf(text, sizeof text, "info string only %d of %d search threads could be started: searching with %d",
                  started, asked, started);
    printUciLine(text);
}

// What a think says in both the console and the xboard protocol.
search::Reports playingReports() {
    search::Reports playing;
    playing.line = printLine;
    // A person reads the last line as the engine's plan: it names the move played, also at a
    // level that plays another move than the best line's.
    playing.lastLineNamesMove = true;
    playing.movePlayed = movePlayed;
    playing.drawByRepetition = printDrawByRepetition;
    playing.gameTooLong = gameTooLong;
    playing.threadsShort = printThreadsShort;
    return playing;
}

}  // namespace

void installConsoleReports() {
    search::Reports console = playingReports();
    console.outcome = consoleOutcome;
    search::reports = console;
}

void installXboardReports() {
    search::Reports xboard = playingReports();
    xboard.resign = printResign;
    xboard.repetitionResult = printRepetitionResult;
    xboard.thinkDone = flushOutput;
    search::reports = xboard;
}

void installUciReports() {
    search::Reports uci;
    uci.line = printLine;
    uci.rootMove = printRootMove;
    uci.lastLineNamesMove = true;
    uci.threadsShort = uciThreadsShort;
    search::reports = uci;
}

}  // namespace frontend
