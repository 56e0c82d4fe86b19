// The console announces mates and draws for a person; the xboard protocol resigns and
// claims; UCI reports lines only and prints its own "bestmove".
#include "frontend/reports.h"

#include "frontend/movetext.h"
#include "frontend/output.h"
#include "frontend/thinking.h"
#include "search/report.h"
#include "search/think.h"

namespace frontend {

namespace {

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

}  // namespace

void installConsoleReports() {
    search::Reports console;
    console.line = printLine;
    console.outcome = consoleOutcome;
    console.movePlayed = movePlayed;
    console.drawByRepetition = printDrawByRepetition;
    console.gameTooLong = gameTooLong;
    search::reports = console;
}

void installXboardReports() {
    search::Reports xboard;
    xboard.line = printLine;
    xboard.resign = printResign;
    xboard.repetitionResult = printRepetitionResult;
    xboard.movePlayed = movePlayed;
    xboard.drawByRepetition = printDrawByRepetition;
    xboard.gameTooLong = gameTooLong;
    xboard.thinkDone = flushOutput;
    search::reports = xboard;
}

void installUciReports() {
    search::Reports uci;
    uci.line = printLine;
    uci.lastLineNamesMove = true;
    search::reports = uci;
}

}  // namespace frontend
