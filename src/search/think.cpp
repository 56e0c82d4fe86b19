// The think driver; the order of its steps is what the interfaces see.
#include "search/think.h"

#include <cstdlib>

#include "board/attacks.h"
#include "board/makemove.h"
#include "board/position.h"
#include "board/repetition.h"
#include "book/book.h"
#include "frontend/console.h"
#include "frontend/movetext.h"
#include "frontend/output.h"
#include "frontend/thinking.h"
#include "movegen/generate.h"
#include "movegen/movelist.h"
#include "search/ordering.h"
#include "search/pv.h"
#include "search/search.h"
#include "search/timecontrol.h"

namespace search {

namespace {

constexpr int ROOT_WINDOW = MATE_SCORE;

// Mate distance in moves from the iteration depth at which the loop stopped.
int mateDistance(int depth) { return (depth + 1) / 2; }

}  // namespace

IterationResult iterativeDeepening(int depthLimit) {
    clearHistory();
    clearPv();
    clearKillers();
    IterationResult result = {1, 0};
    for (result.depth = 1; result.depth <= depthLimit; ++result.depth) {
        movegen::searchPly = 0;
        stopSearch = false;
        followPv = true;
        result.score = alphaBeta(-ROOT_WINDOW, ROOT_WINDOW, result.depth, true);
        if (stopSearch || rootRepetition) break;
        frontend::printThinking(result.depth, result.score);
        if (std::abs(result.score) > MATE_THRESHOLD) break;
        resetKillerScores();
    }
    return result;
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
    const bool console = !frontend::xboardMode;
    // Step 1. A flag that fell: resign without searching.
    if (frontend::outOfTime) {
        if (!console) frontend::printResign();
    } else if (board::gamePly >= board::MAX_GAME_PLY) {
        frontend::printError("game too long", "move");
    } else {
        // A repetition seen in an earlier think says nothing about this position.
        rootRepetition = false;
        nodeCount = 0;
        IterationResult result = {1, 0};
        if (book::bookActive) book::probeBook(PvTable[0][0]);
        if (!book::bookActive) {
            timeBudget = computeTimeBudget();
            thinkStart = readClock();
            result = iterativeDeepening(frontend::maxDepth);
        }
        if (console) {
            if (result.score < -MATE_THRESHOLD) frontend::printLoseIn(mateDistance(result.depth));
            if (result.score > MATE_THRESHOLD) frontend::printMateIn(mateDistance(result.depth));
            if (rootRepetition) frontend::printDrawByRepetition();
        }
        if (result.score < -MATE_THRESHOLD && result.depth == 1) {
            if (!console) frontend::printResign();
        } else if (rootRepetition) {
            if (!console) frontend::printRepetitionResult();
        } else {
            Move chosen = PvTable[0][0];
            // No root move finished (stalemate, or stopped at once): any legal move beats none.
            if (rootMoveStored() || firstLegalMove(chosen)) {
                playGameMove(chosen);
                char reply[frontend::REPLY_BUFFER_SIZE];
                frontend::moveReplyText(chosen, reply);
                frontend::printMoveReply(reply);
            }
        }
    }
    // Step 9. A repetition made by the move just played.
    if (board::isRepetition()) frontend::printDrawByRepetition();
    if (!console) frontend::flushOutput();
}

}  // namespace search
