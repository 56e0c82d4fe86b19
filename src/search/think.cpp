// The think driver; the order of its steps is what the interfaces see.
#include "search/think.h"

#include <algorithm>
#include <cstdlib>

#include "board/attacks.h"
#include "board/makemove.h"
#include "board/position.h"
#include "board/repetition.h"
#include "book/book.h"
#include "movegen/generate.h"
#include "movegen/movelist.h"
#include "search/ordering.h"
#include "search/pv.h"
#include "search/report.h"
#include "search/rootmoves.h"
#include "search/search.h"
#include "search/strength.h"
#include "search/threads.h"
#include "search/timecontrol.h"
#include "search/transposition.h"

namespace search {

Reports reports;
std::uint8_t maxDepth = DEFAULT_MAX_DEPTH;
int multiPvLines = 1;

namespace {

constexpr int ROOT_WINDOW = MATE_SCORE;

// Mate distance in moves from the iteration depth at which the loop stopped.
int mateDistance(int depth) { return (depth + 1) / 2; }

// The first move of the last best line reported in this think, for the last-line rule.
Move lastReportedMove{};
bool bestLineReported = false;

// One root line of an iteration: its score and moves as the search left them.
struct RootLine {
    int score;
    int length;
    Move moves[MAX_PLY];
};

RootLine RootLines[MAX_MULTI_PV];
// The last finished multi-line iteration's lines, best first: a limited level chooses among them.
RootLine FinishedLines[MAX_MULTI_PV];
int finishedLineCount = 0;
// The iteration those lines finished in: a level's chosen line is reported at that depth, not at
// the one the loop stopped in (one more, when it cut a later iteration or ran to its limit).
int finishedLineDepth = 0;
bool levelChoseLine = false;

void report(int depth, int score, int multiPv, const Move* moves, int length) {
    if (multiPv == 1) {
        lastReportedMove = moves[0];
        bestLineReported = true;
    }
    if (reports.line != nullptr) reports.line({depth, score, multiPv, moves, length});
}

void keepRowZero(RootLine& line, int score) {
    line.score = score;
    line.length = pvLength[0];
    std::copy(PvTable[0], PvTable[0] + MAX_PLY, line.moves);
}

void restoreRowZero(const RootLine& line) {
    std::copy(line.moves, line.moves + MAX_PLY, PvTable[0]);
    pvLength[0] = line.length;
    rootBestValue = line.score;
}

// One iteration that reports the best `lines` root moves: each pass searches the root again
// with the moves already found left out. False when the think must stop (time, input or a
// root repetition); row 0 then holds the best line this iteration has, or what the cut pass left.
bool multiLineIteration(int depth, int lines, int reportedLines, IterationResult& result) {
    int found = 0;
    bool stopped = false;
    for (int pass = 0; pass < lines; ++pass) {
        // A pass that finds no root move (all that is left loses to mate) must not report the last one.
        if (pass > 0) PvTable[0][0] = Move{};
        movegen::searchPly = 0;
        stopSearch = false;
        followPv = true;
        const int score = alphaBeta(-ROOT_WINDOW, ROOT_WINDOW, depth, true);
        if (stopSearch || rootRepetition) {
            if (pass == 0) result.score = score;
            stopped = true;
            break;
        }
        if (!rootMoveStored()) break;
        keepRowZero(RootLines[found++], score);
        excludeRootMove(PvTable[0][0]);
    }
    clearRootExclusions();
    if (found == 0) return !stopped;
    if (stopped) {
        // The first pass finished: its move is this iteration's best, whatever a later pass left.
        restoreRowZero(RootLines[0]);
        return false;
    }
    int order[MAX_MULTI_PV];
    for (int index = 0; index < found; ++index) order[index] = index;
    std::stable_sort(order, order + found,
                     [](int first, int second) { return RootLines[first].score > RootLines[second].score; });
    // The best line leads the next iteration and is the move played.
    restoreRowZero(RootLines[order[0]]);
    result.score = RootLines[order[0]].score;
    for (int rank = 0; rank < found; ++rank) {
        const RootLine& line = RootLines[order[rank]];
        FinishedLines[rank] = line;
        if (rank < reportedLines) report(depth, line.score, rank + 1, line.moves, line.length);
    }
    finishedLineCount = found;
    finishedLineDepth = depth;
    return true;
}

// Follows the finished iterations of a think for its soft limit: how long each took, whether the
// best move stood and whether the score fell.
class IterationWatch {
public:
    IterationTrend finished(const Move& best, int score) {
        const std::int64_t now = elapsedMilliseconds(thinkStart, readClock());
        IterationTrend trend = {0, 0, now - lastEnd_, lastMs_};
        if (any_ && sameMove(best, best_)) trend.settledIterations = settled_ + 1;
        if (any_) trend.scoreDrop = score_ - score;
        any_ = true;
        best_ = best;
        score_ = score;
        settled_ = trend.settledIterations;
        lastMs_ = trend.lastMs;
        lastEnd_ = now;
        return trend;
    }

private:
    bool any_ = false;
    Move best_{};
    int score_ = 0;
    int settled_ = 0;
    std::int64_t lastEnd_ = 0;
    std::int64_t lastMs_ = 0;
};

// The iterations from 1 to depthLimit, searching `lines` root lines each and reporting the
// best `reportedLines` of them. Where the clock allows (clockStops), the soft limit ends the
// think between two iterations.
IterationResult deepen(int depthLimit, int lines, int reportedLines, bool clockStops) {
    IterationResult result = {1, 0};
    IterationWatch watch;
    for (result.depth = 1; result.depth <= depthLimit; ++result.depth) {
        if (lines > 1) {
            if (!multiLineIteration(result.depth, lines, reportedLines, result)) break;
        } else {
            movegen::searchPly = 0;
            stopSearch = false;
            followPv = true;
            result.score = alphaBeta(-ROOT_WINDOW, ROOT_WINDOW, result.depth, true);
            if (stopSearch || rootRepetition) break;
            report(result.depth, result.score, 1, PvTable[0], pvLength[0]);
        }
        if (std::abs(result.score) > MATE_THRESHOLD) break;
        resetKillerScores();
        if (!clockStops) continue;
        // Followed from the first iteration, so a soft limit that starts at "ponderhit" knows the trend.
        const IterationTrend trend = watch.finished(PvTable[0][0], result.score);
        if (stopAfterIteration(trend)) {
            // As after a loop that ran to its end: one past the last finished iteration.
            ++result.depth;
            break;
        }
    }
    return result;
}

// A weakened level: the node budget cuts the search, which weighs at least STRENGTH_CANDIDATES
// lines, and the line played is chosen among the last finished iteration's. Row 0 is then
// the chosen line, so the drivers play and report it as they would the best.
IterationResult deepenAtLevel(int depthLimit, const StrengthPlan& plan) {
    const int searchable = searchableRootMoves();
    const int lines = std::max(1, std::min(std::max(multiPvLines, STRENGTH_CANDIDATES), searchable));
    armNodeBudget(plan.nodeBudget);
    // A level keeps to its node budget, measured without a soft limit.
    const IterationResult result = deepen(depthLimit, lines, multiPvLines, false);
    disarmNodeBudget();
    if (finishedLineCount > 1) {
        int scores[MAX_MULTI_PV];
        for (int rank = 0; rank < finishedLineCount; ++rank) scores[rank] = FinishedLines[rank].score;
        restoreRowZero(FinishedLines[chooseLine(scores, finishedLineCount, plan.lossBudget)]);
        levelChoseLine = true;
    }
    return result;
}

}  // namespace

int searchableRootMoves() {
    const int ply = movegen::searchPly;
    movegen::moveCount[ply] = 0;
    movegen::generateMoves();
    int count = 0;
    for (int index = 0; index < movegen::moveCount[ply]; ++index) {
        Move trial = movegen::MoveList[ply][index];
        if (!rootMoveSkipped(trial) && isLegalMove(trial)) ++count;
    }
    return count;
}

IterationResult iterativeDeepening(int depthLimit) {
    clearHistory();
    clearPv();
    clearKillers();
    selDepth = 0;
    bestLineReported = false;
    finishedLineCount = 0;
    levelChoseLine = false;
    const StrengthPlan plan = beginSearchAtLevel();
    if (plan.weakens) {
        const IterationResult result = deepenAtLevel(depthLimit, plan);
        clearSoftLimit();
        return result;
    }
    // The design's single line needs no count of the root moves, and is searched as it always was.
    const int lines = multiPvLines > 1 ? std::min(multiPvLines, searchableRootMoves()) : 1;
    // A playing level searches alone; so does the design's one thread, which starts nothing.
    startHelpers(depthLimit);
    const IterationResult result = deepen(depthLimit, lines, lines, true);
    stopHelpers();
    // A soft limit belongs to the think that set it.
    clearSoftLimit();
    return result;
}

bool anyLineReported() { return bestLineReported; }

void reportMoveToPlay(const Move& move, int depth, int score) {
    if (!reports.lastLineNamesMove) return;
    if (bestLineReported && sameMove(lastReportedMove, move)) return;
    if (levelChoseLine) depth = finishedLineDepth;
    // An iteration cut short after it found a new best move: its line as it stands.
    if (rootMoveStored() && sameMove(PvTable[0][0], move)) {
        report(depth, rootBestValue, 1, PvTable[0], pvLength[0]);
        return;
    }
    const Move alone[MAX_PLY] = {move};
    report(depth, score, 1, alone, 1);
}
bool rootMoveStored() {
    // A cleared row holds zeros: a move from a1 to a1, which no real move is.
    const Move& move = PvTable[0][0];
    return !(move.fromRow == move.toRow && move.fromCol == move.toCol);
}

bool isLegalMove(Move& move) {
    const HashKey savedKey = board::currentKey;
    board::makeMove(move);
    const bool legal = board::isLegalAfterMake(move);
    board::unmakeMove(move);
    board::currentKey = savedKey;
    return legal;
}

bool firstLegalMove(Move& move) {
    const int ply = movegen::searchPly;
    movegen::moveCount[ply] = 0;
    movegen::generateMoves();
    for (int index = 0; index < movegen::moveCount[ply]; ++index) {
        const Move& candidate = movegen::MoveList[ply][index];
        Move trial = candidate;
        if (rootFilterActive && rootMoveSkipped(trial)) continue;
        if (isLegalMove(trial)) {
            move = candidate;
            return true;
        }
    }
    return false;
}

bool findLegalMove(int fromRow, int fromCol, int toRow, int toCol, PieceCode promotion, Move& move) {
    const int ply = movegen::searchPly;
    movegen::moveCount[ply] = 0;
    movegen::generateMoves();
    for (int index = 0; index < movegen::moveCount[ply]; ++index) {
        const Move& candidate = movegen::MoveList[ply][index];
        // Tried on a copy: making a move writes into its record.
        Move trial = candidate;
        if (candidate.fromRow == fromRow && candidate.fromCol == fromCol && candidate.toRow == toRow &&
            candidate.toCol == toCol && candidate.promotion == promotion && isLegalMove(trial)) {
            move = candidate;
            return true;
        }
    }
    return false;
}

void playGameMove(Move& move) {
    if (book::bookActive) book::appendBookDigits(move);
    board::makeGameMove(move);
}

void think() {
    // Step 1. A flag that fell: resign without searching.
    if (outOfTime) {
        if (reports.resign != nullptr) reports.resign();
    } else if (board::gamePly >= board::MAX_GAME_PLY) {
        if (reports.gameTooLong != nullptr) reports.gameTooLong();
    } else {
        // A repetition seen in an earlier think says nothing about this position.
        rootRepetition = false;
        nodeCount = 0;
        // Where no interface asked for it earlier (the console), before the clock starts.
        prepareTranspositionTable();
        const ClockReading turnStart = readClock();
        IterationResult result = {1, 0};
        if (book::bookActive) book::probeBook(PvTable[0][0]);
        const bool fromBook = book::bookActive;
        if (!fromBook) {
            const TimePlan plan = planThink();
            timeBudget = plan.hardMs;
            thinkStart = readClock();
            setSoftLimit(plan.softMs);
            result = iterativeDeepening(maxDepth);
        }
        holdReplyAtLevel(turnStart, fromBook ? planThink().hardMs : timeBudget);
        if (reports.outcome != nullptr) reports.outcome(result.score, mateDistance(result.depth), rootRepetition);
        if (result.score < -MATE_THRESHOLD && result.depth == 1) {
            if (reports.resign != nullptr) reports.resign();
        } else if (rootRepetition) {
            if (reports.repetitionResult != nullptr) reports.repetitionResult();
        } else {
            Move chosen = PvTable[0][0];
            // No root move finished (stalemate, or stopped at once): any legal move beats none.
            if (rootMoveStored() || firstLegalMove(chosen)) {
                if (!fromBook) reportMoveToPlay(chosen, result.depth, result.score);
                playGameMove(chosen);
                if (reports.movePlayed != nullptr) reports.movePlayed(chosen);
            }
        }
    }
    // Step 9. A repetition made by the move just played.
    if (board::isRepetition() && reports.drawByRepetition != nullptr) reports.drawByRepetition();
    if (reports.thinkDone != nullptr) reports.thinkDone();
}

}  // namespace search
