// The opening book: the shipped file, and how lines are loaded, narrowed and chosen.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "board/position.h"
#include "board/random.h"
#include "book/book.h"
#include "engine_process.h"
#include "frontend/console.h"
#include "search/think.h"
#include "test_support.h"
#include "types.h"

namespace {

constexpr std::size_t MIN_PLIES = 6;
constexpr std::size_t MAX_PLIES = 16;
constexpr int MIN_SHIPPED_LINES = 150;

// Replays one digit line from the start; returns the number of moves played, or -1 at the first illegal one.
int replayLine(const std::string& digits) {
    // Only the position is reset: a whole new game per line would clear the big table every time.
    board::setupInitialPosition();
    board::gamePly = 0;
    board::halfMoveClock = 0;
    book::bookActive = false;
    int played = 0;
    for (std::size_t at = 0; at + book::DIGITS_PER_MOVE <= digits.size(); at += book::DIGITS_PER_MOVE) {
        Move move{};
        if (!search::findLegalMove(digits[at] - '0', digits[at + 1] - '0', digits[at + 2] - '0',
                                   digits[at + 3] - '0', EMPTY, move))
            return -1;
        search::playGameMove(move);
        ++played;
    }
    return played;
}

TEST(Book, ShippedLinesAreLegalAndOfSoundLength) {
    testing_support::freshEngine();
    std::ifstream file(std::string(MORVELLINE_SOURCE_DIR) + "/book.obk");
    ASSERT_TRUE(file) << "book.obk missing";
    std::string line;
    std::set<std::string> distinct;
    int lines = 0;
    while (std::getline(file, line)) {
        ++lines;
        ASSERT_EQ(line.size() % book::DIGITS_PER_MOVE, 0u) << "line " << lines;
        ASSERT_EQ(line.find_first_not_of("01234567"), std::string::npos) << "line " << lines;
        const int plies = replayLine(line);
        EXPECT_GE(plies, static_cast<int>(MIN_PLIES)) << "line " << lines;
        EXPECT_LE(plies, static_cast<int>(MAX_PLIES)) << "line " << lines;
        EXPECT_TRUE(distinct.insert(line).second) << "line " << lines << " repeats an earlier one";
    }
    EXPECT_GE(lines, MIN_SHIPPED_LINES);
    EXPECT_LE(lines, book::BOOK_MAX_LINES);
}

// Installed by cmake, the program finds its book from any directory; a book.obk in the
// working directory still comes first.
TEST(Book, InstalledProgramFindsItsBookFromAnyDirectory) {
    testing_support::TemporaryDirectory prefix;
    const std::string install = std::string("'") + MORVELLINE_CMAKE_COMMAND + "' --install '" + MORVELLINE_BUILD_DIR +
                                "' --prefix '" + prefix.path() + "' >/dev/null";
    ASSERT_EQ(std::system(install.c_str()), 0) << install;
    const std::string program = prefix.path() + "/bin/morvelline";
    std::set<std::string> bookFirstMoves;
    std::ifstream shipped(std::string(MORVELLINE_SOURCE_DIR) + "/book.obk");
    for (std::string line; std::getline(shipped, line);)
        bookFirstMoves.insert({static_cast<char>('a' + line[1] - '0'), static_cast<char>('1' + line[0] - '0'),
                               static_cast<char>('a' + line[3] - '0'), static_cast<char>('1' + line[2] - '0')});
    ASSERT_FALSE(bookFirstMoves.empty());
    // The first move from the start, and how many thinking lines came before it.
    const auto firstMove = [&](const std::string& directory) {
        testing_support::EngineProcess engine(directory, program);
        for (const char* line : {"uci", "position startpos", "go depth 3"}) EXPECT_TRUE(engine.writeLine(line));
        std::string passed;
        const auto best = engine.readUntil([](const std::string& line) { return line.rfind("bestmove ", 0) == 0; }, &passed);
        std::size_t thinking = 0;
        for (std::size_t at = passed.find("info depth"); at != std::string::npos; at = passed.find("info depth", at + 1))
            thinking += passed.compare(passed.find(" nodes ", at), 9, " nodes 0 ") == 0 ? 0 : 1;
        return std::make_pair(best ? best->substr(9) : std::string("none"), thinking);
    };
    testing_support::TemporaryDirectory elsewhere;
    const auto [move, thinking] = firstMove(elsewhere.path());
    EXPECT_EQ(thinking, 0u) << "a book move needs no search";
    EXPECT_EQ(bookFirstMoves.count(move), 1u) << move;
    std::ofstream(elsewhere.path() + "/book.obk") << "10306444\n";  // a2a4 e7e5
    EXPECT_EQ(firstMove(elsewhere.path()), std::make_pair(std::string("a2a4"), std::size_t{0}));
}

// Each test writes its own book file and starts a new game that reads it.
class BookFile : public testing::Test {
protected:
    void SetUp() override { testing_support::freshEngine(); }
    void TearDown() override { book::setBookPath(book::BOOK_FILE_NAME); }

    void startGame(const std::string& content) {
        const std::string path = directory_.path() + "/book.obk";
        std::ofstream(path, std::ios::binary) << content;
        book::setBookPath(path.c_str());
        frontend::newGame();
    }
    std::vector<std::string> storedLines() const {
        return std::vector<std::string>(book::bookLines, book::bookLines + book::bookLineCount);
    }
    // A probe whose record starts as a marker, so a probe that must not fill it can be caught.
    static Move probe() {
        Move move{};
        std::memset(&move, 0x5a, sizeof move);
        book::probeBook(move);
        return move;
    }
    static bool untouched(const Move& move) {
        Move marker{};
        std::memset(&marker, 0x5a, sizeof marker);
        // Field by field: a copied record need not keep its padding.
        return move.piece == marker.piece && sameMove(move, marker) && move.captured == marker.captured &&
               move.enPassant == marker.enPassant && move.savedEpFile == marker.savedEpFile &&
               move.castling == marker.castling && move.castlingLoss == marker.castlingLoss &&
               move.score == marker.score;
    }

    testing_support::TemporaryDirectory directory_;
};

// e2e4 e7e5 g1f3 b8c6 f1c4 f8c5 e1g1, and e2e4 c7c5 g1f3 d7d6 d2d4.
const std::string ITALIAN = "1434644406257152053275420406";
const std::string SICILIAN = "14346242062563531333";

TEST_F(BookFile, NarrowsToTheLinesThatContinueTheGame) {
    startGame(ITALIAN + "\n" + SICILIAN + "\n" +
              "13336343\n"   // d2d4 d7d5
              "143464\n"     // its second move is cut short
              "14346484\n"   // a row 8 in the second move
              "14346x44\n"   // a letter in the second move
              "14346446\n"   // e7g5 is no legal move
              "\n");         // holds no move at all
    Move move = probe();
    ASSERT_TRUE(book::bookActive);
    EXPECT_EQ(book::bookLineCount, 7);  // every line but the empty one has a first move
    EXPECT_TRUE(testing_support::moveText(move) == "e2e4" || testing_support::moveText(move) == "d2d4");

    testing_support::playMove("e2e4");
    EXPECT_STREQ(book::gameMoveText, "1434");
    move = probe();
    ASSERT_TRUE(book::bookActive);
    EXPECT_EQ(storedLines(), (std::vector<std::string>{ITALIAN, SICILIAN}));
    EXPECT_TRUE(testing_support::moveText(move) == "e7e5" || testing_support::moveText(move) == "c7c5");

    testing_support::playMove("e7e5");
    for (std::uint32_t seed = 1; seed <= 20; ++seed) {  // one line left: every draw picks it
        board::seedRandom(seed);
        EXPECT_EQ(testing_support::moveText(probe()), "g1f3") << "seed " << seed;
    }
    EXPECT_EQ(storedLines(), std::vector<std::string>{ITALIAN});

    for (const char* played : {"g1f3", "b8c6", "f1c4", "f8c5"}) testing_support::playMove(played);
    move = probe();
    EXPECT_EQ(testing_support::moveText(move), "e1g1");
    EXPECT_EQ(move.piece, WHITE_KING);
    EXPECT_TRUE(move.castling);  // the book's castling is played as castling, rook and all
    search::playGameMove(move);
    EXPECT_EQ(board::Board[0][5], WHITE_ROOK);
    EXPECT_EQ(book::gameMoveText, ITALIAN);

    // The line is played out: no move is made up from what lies past its end.
    move = probe();
    EXPECT_FALSE(book::bookActive);
    EXPECT_EQ(book::bookLineCount, 0);
    EXPECT_TRUE(untouched(move));

    // A new game has the whole file again; a first move that no line starts with ends the book.
    startGame(ITALIAN + "\n" + SICILIAN + "\n");
    EXPECT_EQ(book::bookLineCount, 2);
    testing_support::playMove("a2a3");
    EXPECT_TRUE(untouched(probe()));
    EXPECT_FALSE(book::bookActive);
}

TEST_F(BookFile, StoresOnlyWholeLinesAndNoMoreThanTheTableHolds) {
    struct Case {
        std::string content;
        std::vector<std::string> stored;
    };
    const Case cases[] = {
        {"1434\n1333", {"1434"}},  // the last line lacks its line feed
        {"1434\n1333\n", {"1434", "1333"}},
        {"1434\r\n1333\r\n", {"1434", "1333"}},  // a Windows line end is still a line end
        {"", {}},
        {"\n\n1434\n", {"", "", "1434"}},
    };
    for (const Case& test : cases) {
        startGame(test.content);
        EXPECT_EQ(storedLines(), test.stored) << "'" << test.content << "'";
    }

    // 250 lines, the first longer than a line may be: it is cut, and the table takes 200.
    std::string content, longLine;
    while (longLine.size() < 300) longLine += "1434";
    content = longLine + "\n";
    for (int line = 1; line < 250; ++line) content += "1434" + std::to_string(1000 + line) + "\n";
    startGame(content);
    ASSERT_EQ(book::bookLineCount, book::BOOK_MAX_LINES);
    EXPECT_EQ(std::string(book::bookLines[0]), longLine.substr(0, book::BOOK_LINE_SIZE - 1));
    EXPECT_EQ(std::string(book::bookLines[1]), "14341001");
    EXPECT_EQ(std::string(book::bookLines[book::BOOK_MAX_LINES - 1]), "14341199");
}

TEST_F(BookFile, MissingFileMeansNoBookAndNoMessage) {
    book::setBookPath((directory_.path() + "/absent.obk").c_str());
    frontend::newGame();
    EXPECT_EQ(book::bookLineCount, 0);
    testing::internal::CaptureStdout();
    const Move move = probe();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_FALSE(book::bookActive);
    EXPECT_TRUE(untouched(move));
}

TEST_F(BookFile, GameTextStopsAtTheEndOfItsBuffer) {
    // A book line that shuffles the knights for longer than a line can hold; the file's line is cut at 255.
    const std::pair<std::string, std::string> shuffle[] = {
        {"0625", "g1f3"}, {"7655", "g8f6"}, {"2506", "f3g1"}, {"5576", "f6g8"}};
    std::string line;
    for (int ply = 0; ply < 70; ++ply) line += shuffle[ply % 4].first;
    startGame(line + "\n");
    const int wholeMoves = (book::BOOK_LINE_SIZE - 1) / book::DIGITS_PER_MOVE;
    int bookMoves = 0;
    for (int ply = 0; ply < 70; ++ply) {
        Move move = probe();
        if (!book::bookActive) break;
        search::playGameMove(move);
        ++bookMoves;
        ASSERT_LT(std::strlen(book::gameMoveText), static_cast<std::size_t>(book::BOOK_LINE_SIZE));
    }
    EXPECT_EQ(bookMoves, wholeMoves);
    EXPECT_EQ(std::string(book::gameMoveText), line.substr(0, book::DIGITS_PER_MOVE * wholeMoves));

    // Even a caller that keeps the book on cannot push the text past its buffer.
    for (int ply = wholeMoves; ply < wholeMoves + 8; ++ply) {
        book::bookActive = true;
        testing_support::playMove(shuffle[ply % 4].second);
        EXPECT_FALSE(book::bookActive);
        EXPECT_EQ(std::strlen(book::gameMoveText), static_cast<std::size_t>(book::DIGITS_PER_MOVE * wholeMoves));
    }
}

TEST_F(BookFile, ChoiceRepeatsForASeedAndVariesAcrossSeeds) {
    startGame("1434\n1333\n1232\n0625\n1626\n1121\n0122\n1020\n");  // eight different first moves
    // Seeded as the program seeds itself at start-up, with the key tables drawn first.
    const auto choices = [] {
        std::vector<std::string> chosen;
        for (std::uint32_t seed = 1; seed <= 30; ++seed) {
            frontend::startUp(seed);
            chosen.push_back(testing_support::moveText(probe()));
        }
        return chosen;
    };
    const std::vector<std::string> first = choices();
    EXPECT_EQ(choices(), first);
    EXPECT_GE(std::set<std::string>(first.begin(), first.end()).size(), 4u) << testing::PrintToString(first);
}

}  // namespace
