// Search: mates and draws at the root, ordering tables, the transposition table,
// the PV table, the time budget and repeatable node counts.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <set>
#include <vector>

#include "board/keys.h"
#include "board/position.h"
#include "movegen/generate.h"
#include "frontend/console.h"
#include "frontend/movetext.h"
#include "movegen/movelist.h"
#include "search/ordering.h"
#include "search/pv.h"
#include "search/search.h"
#include "search/think.h"
#include "search/timecontrol.h"
#include "search/transposition.h"
#include "test_support.h"

using namespace testing_support;

namespace {

Move moveOf(int fromRow, int fromCol, int toRow, int toCol) {
    Move move{};
    move.piece = WHITE_KNIGHT;
    move.fromRow = static_cast<std::int16_t>(fromRow);
    move.fromCol = static_cast<std::int16_t>(fromCol);
    move.toRow = static_cast<std::int16_t>(toRow);
    move.toCol = static_cast<std::int16_t>(toCol);
    move.promotion = EMPTY;
    return move;
}

search::IterationResult searchTo(int depth) {
    search::nodeCount = 0;
    search::timeBudget = search::CONSOLE_TIME_BUDGET_MS;
    search::thinkStart = search::readClock();
    return search::iterativeDeepening(depth);
}

}  // namespace

TEST(Search, MateStalemateAndFallbacks) {
    freshEngine();
    setPosition("7k/5Q2/6K1/8/8/8/8/8 w - -");
    search::timeBudget = search::CONSOLE_TIME_BUDGET_MS;
    search::thinkStart = search::readClock();
    movegen::searchPly = 0;
    search::stopSearch = false;
    search::followPv = true;
    search::clearPv();
    search::clearKillers();
    EXPECT_EQ(search::alphaBeta(-search::MATE_SCORE, search::MATE_SCORE, 1, true), search::MATE_SCORE);
    EXPECT_EQ(moveText(search::PvTable[0][0]), "f7f8");

    // A mated side scores the mate at once and nothing is stored for it.
    setPosition("5Q1k/8/6K1/8/8/8/8/8 b - -");
    EXPECT_EQ(searchTo(1).score, -search::MATE_SCORE);
    EXPECT_FALSE(search::rootMoveStored());

    // Stalemate scores 0 and stores no root move; the engine then has nothing to play.
    setPosition("7k/5Q2/5K2/8/8/8/8/8 b - -");
    EXPECT_EQ(searchTo(3).score, 0);
    EXPECT_FALSE(search::rootMoveStored());
    Move any{};
    EXPECT_FALSE(search::firstLegalMove(any));
}

TEST(Search, ConsoleAnnouncesLossAndKeepsBoard) {
    freshEngine();
    setPosition("5Q1k/8/6K1/8/8/8/8/8 b - -");
    const HashKey before = board::currentKey;
    ::testing::internal::CaptureStdout();
    search::think();
    std::fflush(stdout);
    const std::string output = ::testing::internal::GetCapturedStdout();
    EXPECT_NE(output.find("I lose in 1\n"), std::string::npos) << output;
    EXPECT_EQ(output.find("move "), std::string::npos) << output;
    EXPECT_EQ(board::currentKey, before);
    EXPECT_EQ(board::gamePly, 0);
}

TEST(Search, RepeatableNodeCounts) {
    std::int64_t counts[2];
    for (std::int64_t& count : counts) {
        freshEngine();
        // Killer moves and the table's stored moves outlive a game by design;
        // start both runs as a new process would.
        std::memset(search::KillerTable, 0, sizeof search::KillerTable);
        std::memset(search::TranspositionTable, 0, sizeof search::TranspositionTable);
        setPosition("r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq -");
        ::testing::internal::CaptureStdout();
        searchTo(5);
        ::testing::internal::GetCapturedStdout();
        count = search::nodeCount;
    }
    EXPECT_EQ(counts[0], counts[1]);
    EXPECT_GT(counts[0], 0);
    EXPECT_EQ(board::currentKey, board::computeKey()) << "a search leaves the position as it was";
}

TEST(Ordering, KillerSlots) {
    freshEngine();
    search::clearKillers();
    movegen::searchPly = 3;
    const Move first = moveOf(0, 1, 2, 2), second = moveOf(0, 6, 2, 5), third = moveOf(1, 4, 3, 4);
    search::updateKillers(first, 30);
    search::updateKillers(second, 50);
    search::updateKillers(third, 40);
    const search::KillerSlots& slots = search::KillerTable[3];
    EXPECT_TRUE(sameMove(slots.killer1, second));
    EXPECT_TRUE(sameMove(slots.killer2, third));
    EXPECT_TRUE(sameMove(slots.killer3, first));
    // A value equal to killer1's score does not displace it.
    search::updateKillers(first, 50);
    EXPECT_TRUE(sameMove(slots.killer1, second));
    EXPECT_TRUE(sameMove(slots.killer2, first));
    movegen::searchPly = 0;

    // History saturates instead of overflowing.
    search::clearHistory();
    for (int add = 0; add < 5000; ++add) search::raiseHistory(first, 20);
    EXPECT_EQ(search::HistoryTable[0][1][2][2], search::HISTORY_LIMIT);
}

TEST(Ordering, ScoresAndPicking) {
    freshEngine();
    search::clearHistory();
    search::clearKillers();
    search::clearPv();
    movegen::moveCount[0] = 0;
    movegen::generateMoves();
    // b1c3 is the first move generated; make g1f3 the killer with history 400.
    const Move killer = moveOf(0, 6, 2, 5);
    search::updateKillers(killer, 10);
    search::HistoryTable[0][6][2][5] = 400;
    search::followPv = false;
    search::scoreMoves();
    int killerScore = -1;
    for (int index = 0; index < movegen::moveCount[0]; ++index)
        if (sameMove(movegen::MoveList[0][index], killer)) killerScore = movegen::MoveList[0][index].score;
    EXPECT_EQ(killerScore, 1100);
    search::pickNextMove(0);
    EXPECT_TRUE(sameMove(movegen::MoveList[0][0], killer));
}

TEST(Transposition, ProbeAndStoreRules) {
    freshEngine();
    Move out = moveOf(7, 7, 7, 7);
    EXPECT_EQ(search::probeTransposition(1, -10, 10, out), search::NO_HASH_VALUE);
    const Move stored = moveOf(0, 1, 2, 2);
    search::storeTransposition(3, 5, search::BOUND_EXACT, stored);
    EXPECT_EQ(search::probeTransposition(3, -10, 10, out), 5);
    EXPECT_TRUE(sameMove(out, stored));
    EXPECT_EQ(search::probeTransposition(4, -10, 10, out), search::NO_HASH_VALUE) << "too shallow";
    // An equal depth does not replace; a deeper one does.
    search::storeTransposition(3, 7, search::BOUND_EXACT, stored);
    EXPECT_EQ(search::probeTransposition(3, -10, 10, out), 5);
    search::storeTransposition(4, 20, search::BOUND_LOWER, stored);
    EXPECT_EQ(search::probeTransposition(4, -10, 10, out), 10) << "a lower bound at or above beta gives beta";
    Move filled = moveOf(7, 7, 7, 7);
    EXPECT_EQ(search::probeTransposition(4, -10, 30, filled), search::NO_HASH_VALUE);
    EXPECT_TRUE(sameMove(filled, stored)) << "the move is copied even without a value";
    search::setTranspositionValue(0);
    EXPECT_EQ(search::probeTransposition(4, -10, 30, filled), search::NO_HASH_VALUE);
    EXPECT_EQ(search::transpositionSlot().value, 0);
    frontend::newGame();
    EXPECT_EQ(search::probeTransposition(1, -10, 10, out), search::NO_HASH_VALUE) << "cleared by a new game";
}

// A new game acts as if every slot's depth were set to 0, wherever the slot lies (block
// edges, the last slot, keys far past the table size), and keys, values and moves stay readable.
TEST(Transposition, NewGameClearsEveryStoredSlot) {
    freshEngine();
    // The slot that straddles the end of the first block, and the one after it.
    constexpr HashKey STRADDLING = search::TT_CLEAR_BLOCK_BYTES / sizeof(search::TranspositionEntry);
    constexpr HashKey SIZE = search::TT_SIZE;
    std::vector<HashKey> keys = {0, STRADDLING, STRADDLING + 1, 1000 * STRADDLING + 5, SIZE - 1, 3 * SIZE + 12345};
    // And slots all over the table, distinct, so that every stored one can be looked at again.
    std::mt19937_64 random(20261208);
    std::set<HashKey> slots;
    for (const HashKey key : keys) slots.insert(key % SIZE);
    while (keys.size() < 3000) {
        const HashKey key = random();
        if (slots.insert(key % SIZE).second) keys.push_back(key);
    }
    constexpr std::uint8_t STORED_DEPTH = 5;
    const auto valueOf = [](std::size_t index) { return 100 + static_cast<int>(index); };
    const auto moveFor = [](std::size_t index) { return moveOf(1, static_cast<int>(index % 8), 3, 2); };
    for (std::size_t index = 0; index < keys.size(); ++index) {
        board::currentKey = keys[index];
        search::storeTransposition(STORED_DEPTH, valueOf(index), search::BOUND_EXACT, moveFor(index));
    }
    search::clearTranspositionTable();
    for (std::size_t index = 0; index < keys.size(); ++index) {
        board::currentKey = keys[index];
        Move out = moveOf(7, 7, 7, 7);
        EXPECT_EQ(search::probeTransposition(1, -1000, 1000, out), search::NO_HASH_VALUE) << index;
        EXPECT_EQ(search::probeTransposition(0, -1000, 1000, out), valueOf(index)) << index << ": the value stays";
        EXPECT_TRUE(sameMove(out, moveFor(index))) << index << ": the move stays";
        search::storeTransposition(1, -7, search::BOUND_EXACT, moveFor(index));
        EXPECT_EQ(search::probeTransposition(1, -1000, 1000, out), -7) << index << ": the first store succeeds";
    }
    search::clearTranspositionTable();
    freshEngine();
}

TEST(PvTable, UpdateCopiesTheChildLine) {
    search::clearPv();
    EXPECT_EQ(search::pvLength[0], 0);
    search::PvTable[1][1] = moveOf(6, 4, 4, 4);
    search::PvTable[1][2] = moveOf(0, 6, 2, 5);
    search::pvLength[1] = 3;
    movegen::searchPly = 0;
    search::updatePv(moveOf(1, 4, 3, 4));
    EXPECT_EQ(search::pvLength[0], 3);
    EXPECT_TRUE(sameMove(search::PvTable[0][0], moveOf(1, 4, 3, 4)));
    EXPECT_TRUE(sameMove(search::PvTable[0][2], moveOf(0, 6, 2, 5)));
    movegen::searchPly = 28;
    search::pvLength[29] = 29;
    search::updatePv(moveOf(1, 0, 2, 0));
    EXPECT_EQ(search::pvLength[28], 29);
    movegen::searchPly = 0;
}

TEST(TimeControl, BudgetArithmetic) {
    frontend::xboardMode = true;
    search::timeReceived = true;
    const int clocks[][2] = {{300, 100}, {29, 9}, {5, 1}, {0, 0}};
    for (const auto& clock : clocks) {
        search::timeLeft = clock[0];
        EXPECT_EQ(search::computeTimeBudget(), clock[1]);
    }
    // Without a reported clock: "st", else the level's share plus its increment, else a few seconds.
    const struct {
        int moveTime;
        search::Level level;
        int budget;
    } settings[] = {
        {2500, {40, 300000, 0}, 2500},
        {0, {40, 300000, 0}, 7500},
        {0, {0, 60000, 2000}, 4000},
        {0, {0, 0, 0}, search::DEFAULT_MOVE_TIME_MS},
    };
    search::timeReceived = false;
    for (const auto& setting : settings) {
        search::moveTimeMs = setting.moveTime;
        search::level = setting.level;
        EXPECT_EQ(search::computeTimeBudget(), setting.budget) << setting.moveTime << " " << setting.level.moves;
    }
    frontend::xboardMode = false;
    search::moveTimeMs = 1500;
    EXPECT_EQ(search::computeTimeBudget(), 1500);
    search::moveTimeMs = 0;
    EXPECT_EQ(search::computeTimeBudget(), search::CONSOLE_TIME_BUDGET_MS);
    const search::ClockReading start = {12, 950}, now = {13, 10};
    EXPECT_EQ(search::elapsedMilliseconds(start, now), 60);
}

// A game long enough to fill the key history: further moves and thinks are refused
// with a message, so no path ever writes past the table.
TEST(Search, LongGameStopsBeforeTheHistoryIsFull) {
    freshEngine();
    frontend::xboardMode = true;  // typed moves alone, no answer
    frontend::enginePlays = false;
    const char* const shuffle[] = {"g1f3", "g8f6", "f3g1", "f6g8"};
    testing::internal::CaptureStdout();
    for (int ply = 0; board::gamePly < board::MAX_GAME_PLY; ++ply) frontend::playUserMove(shuffle[ply % 4]);
    const std::string quiet = testing::internal::GetCapturedStdout();
    EXPECT_EQ(quiet, "");
    EXPECT_EQ(board::gamePly, board::MAX_GAME_PLY);

    const HashKey key = board::currentKey;
    testing::internal::CaptureStdout();
    frontend::playUserMove("g1f3");
    search::think();
    const std::string refusals = testing::internal::GetCapturedStdout();
    // The shuffle stands repeated, which the think reports after its refusal.
    EXPECT_EQ(refusals, "Error (game too long): g1f3\nError (game too long): move\nDraw by repetition\n");
    EXPECT_EQ(board::gamePly, board::MAX_GAME_PLY);
    EXPECT_EQ(board::currentKey, key);
    EXPECT_TRUE(board::positionIsConsistent());
    frontend::xboardMode = false;
}
