// Node procedure of the main search, in the order the steps below are numbered;
// the order matters, because every step can end the node.
#include "search/search.h"

#include <cstdint>

#include "board/attacks.h"
#include "board/keys.h"
#include "board/makemove.h"
#include "board/position.h"
#include "board/repetition.h"
#include "eval/evaluate.h"
#include "movegen/generate.h"
#include "movegen/movelist.h"
#include "search/ordering.h"
#include "search/pv.h"
#include "search/report.h"
#include "search/rootmoves.h"
#include "search/threads.h"
#include "search/timecontrol.h"
#include "search/transposition.h"

namespace search {

thread_local constinit bool stopSearch = false;
thread_local constinit bool rootRepetition = false;
thread_local constinit int rootBestValue = 0;
thread_local constinit InputHook inputInterrupts = nullptr;

namespace {

using board::currentKey;
using board::sideToMove;
using movegen::searchPly;

// A slot never straddles a cache line: one prefetch brings all of it.
inline void prefetchSlotOf(HashKey key) { __builtin_prefetch(&slotOf(key)); }

// The child's first table probe is almost always a cache miss: ask for its slot once the move
// is known to be legal, so the load overlaps the child's first steps. Not before: an illegal
// move's child never probes, and a prefetch that misses the address translation holds up the
// instructions after it until the walk is done.
inline void prefetchSlot() { prefetchSlotOf(currentKey); }

// The key a plain move of the side to move would give, from the node's key: castling, en-passant
// captures and lost castling rights are left out, as a wrong guess only wastes a prefetch.
inline HashKey guessKeyAfter(HashKey key, const Move& move) {
    using board::pieceSquareKeys;
    const PieceCode landing = move.promotion != EMPTY ? move.promotion : move.piece;
    key ^= pieceSquareKeys[move.piece][move.fromRow][move.fromCol] ^ pieceSquareKeys[landing][move.toRow][move.toCol];
    if (move.captured != EMPTY) key ^= pieceSquareKeys[move.captured][move.toRow][move.toCol];
    const bool doublePush = (move.piece == WHITE_PAWN || move.piece == BLACK_PAWN) &&
                            (move.toRow - move.fromRow == 2 || move.fromRow - move.toRow == 2);
    const int epFile = doublePush ? move.fromCol : NO_EP_FILE;
    if (sideToMove == WHITE)
        key ^= board::whiteEpKeys[board::whiteEpFile] ^ board::whiteEpKeys[epFile];
    else
        key ^= board::blackEpKeys[board::blackEpFile] ^ board::blackEpKeys[epFile];
    return key ^ board::sideKeys[WHITE] ^ board::sideKeys[BLACK];
}

inline bool isQuiet(const Move& move) { return move.captured == EMPTY && move.promotion == EMPTY; }

// Whether this ply's list holds a capture or a promotion from index first to before end.
bool loudMoveIn(int first, int end) {
    const Move* list = movegen::MoveList[searchPly];
    for (int index = first; index < end; ++index)
        if (!isQuiet(list[index])) return true;
    return false;
}

bool sideToMoveInCheck() { return board::isKingAttacked(board::opponentOf(sideToMove)); }

// A pass: only the side changes; en-passant files, gamePly and the history stay.
int nullMoveSearch(int beta, int depth) {
    const HashKey savedKey = currentKey;
    currentKey ^= board::sideKeys[sideToMove];
    sideToMove = board::opponentOf(sideToMove);
    currentKey ^= board::sideKeys[sideToMove];
    prefetchSlot();
    int& epFile = sideToMove == WHITE ? board::whiteEpFile : board::blackEpFile;
    const int savedEpFile = epFile;
    ++searchPly;
    ++board::halfMoveClock;
    const int value = -alphaBeta(-beta, -beta + 1, depth - NULL_MOVE_REDUCTION, false);
    --searchPly;
    --board::halfMoveClock;
    epFile = savedEpFile;
    sideToMove = board::opponentOf(sideToMove);
    currentKey = savedKey;
    return value;
}

// The one place the search tells the outside which root move it starts on.
void reportRootMove(const Move& move, int number) {
    // Only the main thread's search speaks; helpers search their own roots unseen.
    if (reports.rootMove == nullptr || searchThreadIndex != 0 ||
        elapsedMilliseconds(thinkStart, readClock()) < ROOT_MOVE_REPORT_AFTER_MS)
        return;
    reports.rootMove(move, number);
}

}  // namespace

int alphaBeta(int alpha, int beta, int depth, bool nullAllowed) {
    // Step 1. Time, asked only when the node count stands on a multiple of 4096.
    if ((nodeCount & TIME_CHECK_INTERVAL_MASK) == 0 && timeUp()) {
        stopSearch = true;
        return DRAW_SCORE;
    }
    // Step 2. Waiting protocol input ends the think; the line is obeyed afterwards.
    if (inputInterrupts != nullptr && inputInterrupts()) {
        stopSearch = true;
        return DRAW_SCORE;
    }
    // Step 3. Repetition: a draw at the root; below it the slot's value becomes 0.
    if (board::isRepetition()) {
        if (searchPly == 0) {
            rootRepetition = true;
            return DRAW_SCORE;
        }
        setTranspositionValue(DRAW_SCORE);
    }
    pvLength[searchPly] = searchPly;
    noteSelectiveDepth();

    // Step 5's check test reads only the board, so it is done first: it covers the wait for
    // the table slot, whose load the parent started when it made the move.
    const bool inCheck = sideToMoveInCheck();

    // Step 4. Table probe, never at the root.
    if (searchPly > 0) {
        Move tableMove{};
        const int tableValue = probeTransposition(static_cast<std::uint8_t>(depth), alpha, beta, tableMove);
        if (tableValue != NO_HASH_VALUE) {
            // The child row is copied as the last node at that ply left it, so an older line
            // may follow the table move; the printing layer shows only its playable part.
            updatePv(tableMove);
            return tableValue;
        }
    }

    // Step 5. Check extension: the replies to a check keep the depth.
    const int extension = inCheck ? 1 : 0;

    // The deepest ply has no room for children: it is a horizon node.
    if (searchPly >= LAST_SEARCH_PLY) return quiesce(alpha, beta);

    // Step 6. Null move: if passing still holds beta, the node is good enough.
    if (!inCheck && nullAllowed && depth >= NULL_MOVE_MIN_DEPTH &&
        board::nonPawnPieceCount >= NULL_MOVE_MIN_PIECES) {
        const int value = nullMoveSearch(beta, depth);
        if (stopSearch) return DRAW_SCORE;
        if (value >= beta) return beta;
    }

    // Step 7. Horizon.
    if (depth + extension == 0) return quiesce(alpha, beta);

    // Step 8. Generate and score once; moves are picked best first.
    movegen::moveCount[searchPly] = 0;
    movegen::generateMoves();
    scoreMoves();
    Move bestMove{};
    bestMove.piece = EMPTY;
    std::uint8_t bound = BOUND_UPPER;
    bool legalFound = false;
    bool pvFound = false;

    const int count = movegen::moveCount[searchPly];
    int pickedAhead = -1;
    int rootMovesStarted = 0;
    for (int index = 0; index < count; ++index) {
        // Picking reads only this ply's scores, which no child changes, so a pick made ahead
        // is the pick made here.
        if (index != pickedAhead) pickNextMove(index);
        Move& move = movegen::MoveList[searchPly][index];
        if (rootFilterActive && searchPly == 0 && rootMoveSkipped(move)) continue;

        // A node that did not cut off on its first move usually tries the next one too: pick
        // it now and ask for its child's slot, so the load overlaps this move's subtree.
        if (index > 0 && index + 1 < count) {
            pickNextMove(index + 1);
            pickedAhead = index + 1;
            prefetchSlotOf(guessKeyAfter(currentKey, movegen::MoveList[searchPly][index + 1]));
        }

        // Step 9. Frontier futility: a quiet move cannot lift a hopeless node.
        if (extension == 0 && legalFound && depth == 1 && isQuiet(move) &&
            eval::quickEvaluate() + FUTILITY_MARGIN < alpha) {
            // Every later quiet move fails the same test, as nothing it reads changes while moves are
            // only skipped: once no capture or promotion is left, the rest of the loop would skip them all.
            if (!loudMoveIn(index + 1, count)) break;
            continue;
        }

        const HashKey savedKey = currentKey;
        board::makeMove(move);
        if (board::isLegalAfterMake(move, inCheck)) {
            prefetchSlot();
            legalFound = true;
            if (searchPly == 0) reportRootMove(move, ++rootMovesStarted);
            ++nodeCount;
            ++searchPly;
            ++board::halfMoveClock;
            const int childDepth = depth + extension - 1;
            int value;
            // Step 10. Principal-variation search: later moves get a null window first.
            if (pvFound) {
                value = -alphaBeta(-alpha - 1, -alpha, childDepth, true);
                if (value > alpha && value < beta) value = -alphaBeta(-beta, -value, childDepth, true);
            } else {
                value = -alphaBeta(-beta, -alpha, childDepth, true);
            }
            --searchPly;
            --board::halfMoveClock;
            if (stopSearch) {
                board::unmakeMove(move);
                currentKey = savedKey;
                return DRAW_SCORE;
            }
            if (value >= beta) {
                board::unmakeMove(move);
                currentKey = savedKey;
                raiseHistory(move, depth);
                updatePv(move);
                storeTransposition(static_cast<std::uint8_t>(depth), beta, BOUND_LOWER, move);
                updateKillers(move, value);
                return beta;
            }
            if (value > alpha) {
                if (searchPly == 0) rootBestValue = value;
                raiseHistory(move, depth);
                alpha = value;
                bound = BOUND_EXACT;
                bestMove = move;
                updatePv(move);
                pvFound = true;
            }
        }
        board::unmakeMove(move);
        currentKey = savedKey;
    }

    // Step 11. Fifty-move limit, checkmate and stalemate.
    if (legalFound && board::halfMoveClock > FIFTY_MOVE_PLIES) return DRAW_SCORE;
    if (!legalFound) {
        if (!inCheck) return DRAW_SCORE;
        alpha = -MATE_SCORE;
    }
    // Step 12. Only a node whose best move raised alpha is stored.
    if (bestMove.piece != EMPTY) storeTransposition(static_cast<std::uint8_t>(depth), alpha, bound, bestMove);
    return alpha;
}

int quiesce(int alpha, int beta) {
    bool legalFound = false;
    pvLength[searchPly] = searchPly;
    noteSelectiveDepth();
    if (searchPly >= LAST_SEARCH_PLY) return eval::evaluate();

    // Standing pat: the side to move need not capture.
    const int standPat = eval::evaluate();
    if (standPat >= beta) return beta;
    if (standPat > alpha) alpha = standPat;

    movegen::moveCount[searchPly] = 0;
    movegen::generateCaptures();
    preparePicking();
    for (int index = 0; index < movegen::moveCount[searchPly]; ++index) {
        pickNextMove(index);
        Move& move = movegen::MoveList[searchPly][index];
        const HashKey savedKey = currentKey;
        board::makeMove(move);
        if (board::isLegalAfterMake(move)) {
            legalFound = true;
            ++nodeCount;
            ++searchPly;
            const int value = -quiesce(-beta, -alpha);
            --searchPly;
            if (value >= beta) {
                board::unmakeMove(move);
                currentKey = savedKey;
                updatePv(move);
                updateKillers(move, value);
                return beta;
            }
            if (value > alpha) {
                alpha = value;
                updatePv(move);
            }
        }
        board::unmakeMove(move);
        currentKey = savedKey;
    }
    return legalFound ? alpha : standPat;
}

}  // namespace search
