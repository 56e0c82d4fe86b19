// Each level uses the move list of its own ply; the key is saved and restored around every move.
// The last level counts its legal moves without making them wherever that gives the same answer.
#include "board/perft.h"

#include <cstdint>

#include "board/attacks.h"
#include "board/makemove.h"
#include "board/position.h"
#include "movegen/generate.h"
#include "movegen/movelist.h"
#include "search/pv.h"

namespace board {

namespace {

// Makes the move, tests it and takes it back: the road for every move the shortcut does not cover.
inline bool isLegalByMaking(Move& move, bool inCheck) {
    const HashKey savedKey = currentKey;
    makeMoveLeavingSums(move);
    const bool legal = isLegalAfterMake(move, inCheck);
    unmakeMoveLeavingSums(move);
    currentKey = savedKey;
    return legal;
}

// The legal moves of the current position, the count perft(1) adds. Out of check, a move of a
// piece neither king nor pinned is legal but for en passant, so those pieces' moves are only
// counted; the rest are listed and tested.
[[gnu::flatten]] std::int64_t countLegalMoves() {
    using movegen::searchPly;
    movegen::moveCount[searchPly] = 0;
    const int king = kingSquareOutOfCheck();
    if (king == NO_KING_SQUARE) {
        movegen::generateMoves();
        const int count = movegen::moveCount[searchPly];
        Move* moves = movegen::MoveList[searchPly];
        const bool inCheck = isKingAttacked(opponentOf(sideToMove));
        std::int64_t legal = 0;
        for (int index = 0; index < count; ++index) legal += isLegalByMaking(moves[index], inCheck);
        return legal;
    }
    const std::uint64_t pinned = pinnedPieces(king);
    std::int64_t legal = movegen::generateCounting(pinned | std::uint64_t{1} << king);
    const int count = movegen::moveCount[searchPly];
    Move* moves = movegen::MoveList[searchPly];
    for (int index = 0; index < count; ++index) {
        Move& move = moves[index];
        if (move.enPassant || move.castling)
            legal += isLegalByMaking(move, false);
        else
            legal += isLegalBeforeMake(move, king, pinned);
    }
    return legal;
}

// Each legal move of the current position, in list order, made with the ply raised:
// visit(move) runs below it; the position and the key are restored after each.
template <typename Visit>
inline void forEachLegalMove(Visit visit) {
    using movegen::searchPly;
    movegen::moveCount[searchPly] = 0;
    movegen::generateMoves();
    const bool inCheck = isKingAttacked(opponentOf(sideToMove));
    for (int index = 0; index < movegen::moveCount[searchPly]; ++index) {
        Move& move = movegen::MoveList[searchPly][index];
        const HashKey savedKey = currentKey;
        makeMoveLeavingSums(move);
        if (isLegalAfterMake(move, inCheck)) {
            ++searchPly;
            visit(move);
            --searchPly;
        }
        unmakeMoveLeavingSums(move);
        currentKey = savedKey;
    }
}

}  // namespace

int maxPerftDepth() { return MAX_PLY - movegen::searchPly; }

// Flattened: generation, make, the legality test and unmake are inlined into each level.
[[gnu::flatten]] void perft(int depth) {
    if (depth <= 0) return;
    if (depth == 1) {
        search::nodeCount += countLegalMoves();
        return;
    }
    forEachLegalMove([depth](const Move&) {
        ++search::nodeCount;
        perft(depth - 1);
    });
}

[[gnu::flatten]] std::int64_t perftLeaves(int depth) {
    if (depth <= 0) return 1;
    if (depth == 1) return countLegalMoves();
    std::int64_t leaves = 0;
    forEachLegalMove([depth, &leaves](const Move&) { leaves += perftLeaves(depth - 1); });
    return leaves;
}

std::int64_t perftDivide(int depth, RootLeavesReport report, void* context) {
    if (depth <= 0) return 1;
    std::int64_t total = 0;
    forEachLegalMove([depth, report, context, &total](const Move& move) {
        const std::int64_t leaves = perftLeaves(depth - 1);
        total += leaves;
        report(move, leaves, context);
    });
    return total;
}

}  // namespace board
