// The shipped opening book: every line replays legally from the start position.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "book/book.h"
#include "search/think.h"
#include "test_support.h"
#include "types.h"

namespace {

constexpr std::size_t MIN_PLIES = 6;
constexpr std::size_t MAX_PLIES = 16;

// Replays one digit line; returns the number of moves played, or -1 at the first illegal one.
int replayLine(const std::string& digits) {
    testing_support::freshEngine();
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
    std::ifstream file(std::string(MORVELLINE_SOURCE_DIR) + "/book.obk");
    ASSERT_TRUE(file) << "book.obk missing";
    std::string line;
    int lines = 0;
    while (std::getline(file, line)) {
        ++lines;
        ASSERT_EQ(line.size() % book::DIGITS_PER_MOVE, 0u) << "line " << lines;
        ASSERT_EQ(line.find_first_not_of("01234567"), std::string::npos) << "line " << lines;
        const int plies = replayLine(line);
        EXPECT_GE(plies, static_cast<int>(MIN_PLIES)) << "line " << lines;
        EXPECT_LE(plies, static_cast<int>(MAX_PLIES)) << "line " << lines;
    }
    EXPECT_GT(lines, 0);
    EXPECT_LE(lines, book::BOOK_MAX_LINES);
}

}  // namespace
