// Turns coordinate opening lines into the engine's digit book, or checks a digit book.
// Every move is replayed through the engine so only legal lines are ever shipped.
#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>
#include <string>

#include "book/book.h"
#include "frontend/console.h"
#include "frontend/fen.h"
#include "search/think.h"
#include "types.h"

namespace {

constexpr std::uint32_t TOOL_SEED = 1;
constexpr int COORDINATE_MOVE_LENGTH = 4;
// A stored line is cut at one character less than the buffer.
constexpr std::size_t MAX_DIGITS = book::BOOK_LINE_SIZE - 1;

void startFromInitialPosition() {
    // The tool must not pick up whatever book sits in the working directory.
    book::setBookPath("/nonexistent/book.obk");
    frontend::newGame();
}

bool playSquares(int fromRow, int fromCol, int toRow, int toCol) {
    Move move{};
    if (!search::findLegalMove(fromRow, fromCol, toRow, toCol, EMPTY, move)) return false;
    search::playGameMove(move);
    return true;
}

int convert(const char* inPath, const char* outPath) {
    std::ifstream in(inPath);
    if (!in) { std::cerr << "cannot read " << inPath << "\n"; return 1; }
    std::string text, out;
    std::set<std::string> seen;
    int lineNumber = 0, written = 0;
    while (std::getline(in, text)) {
        ++lineNumber;
        std::istringstream words(text);
        std::string word, digits;
        if (!(words >> word) || word[0] == '#') continue;
        startFromInitialPosition();
        do {
            const bool shaped = word.size() == COORDINATE_MOVE_LENGTH && word[0] >= 'a' && word[0] <= 'h' &&
                                word[1] >= '1' && word[1] <= '8' && word[2] >= 'a' && word[2] <= 'h' &&
                                word[3] >= '1' && word[3] <= '8';
            if (!shaped || !playSquares(word[1] - '1', word[0] - 'a', word[3] - '1', word[2] - 'a')) {
                std::cerr << inPath << ":" << lineNumber << ": illegal move " << word << "\n";
                return 1;
            }
            digits += word[1] - '1' + '0';
            digits += word[0] - 'a' + '0';
            digits += word[3] - '1' + '0';
            digits += word[2] - 'a' + '0';
        } while (words >> word);
        if (digits.size() > MAX_DIGITS) {
            std::cerr << inPath << ":" << lineNumber << ": line too long\n";
            return 1;
        }
        // A repeated line would silently double its share of the book's choices.
        if (!seen.insert(digits).second) {
            std::cerr << inPath << ":" << lineNumber << ": repeats an earlier line\n";
            return 1;
        }
        out += digits + "\n";
        ++written;
    }
    if (written > book::BOOK_MAX_LINES) {
        std::cerr << "too many lines: " << written << " (the engine loads " << book::BOOK_MAX_LINES << ")\n";
        return 1;
    }
    std::ofstream file(outPath, std::ios::binary);
    file << out;
    if (!file) { std::cerr << "cannot write " << outPath << "\n"; return 1; }
    std::cout << written << " lines written to " << outPath << "\n";
    return 0;
}

int check(const char* path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) { std::cerr << "cannot read " << path << "\n"; return 1; }
    const std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // The engine drops a last line that lacks its line feed.
    if (content.empty() || content.back() != '\n') { std::cerr << path << ": missing final line feed\n"; return 1; }
    std::istringstream lines(content);
    std::string line;
    std::set<std::string> seen;
    int lineNumber = 0;
    std::size_t fewestPlies = MAX_DIGITS, mostPlies = 0;
    while (std::getline(lines, line)) {
        ++lineNumber;
        if (line.empty() || line.size() % book::DIGITS_PER_MOVE != 0 || line.size() > MAX_DIGITS) {
            std::cerr << path << ":" << lineNumber << ": malformed line\n";
            return 1;
        }
        if (!seen.insert(line).second) {
            std::cerr << path << ":" << lineNumber << ": repeats an earlier line\n";
            return 1;
        }
        fewestPlies = std::min(fewestPlies, line.size() / book::DIGITS_PER_MOVE);
        mostPlies = std::max(mostPlies, line.size() / book::DIGITS_PER_MOVE);
        startFromInitialPosition();
        for (std::size_t at = 0; at < line.size(); at += book::DIGITS_PER_MOVE) {
            int square[book::DIGITS_PER_MOVE];
            for (int digit = 0; digit < book::DIGITS_PER_MOVE; ++digit) {
                const char c = line[at + digit];
                if (c < '0' || c >= '0' + BOARD_SIZE) {
                    std::cerr << path << ":" << lineNumber << ": bad digit at move " << at / book::DIGITS_PER_MOVE + 1 << "\n";
                    return 1;
                }
                square[digit] = c - '0';
            }
            if (!playSquares(square[0], square[1], square[2], square[3])) {
                std::cerr << path << ":" << lineNumber << ": illegal move " << at / book::DIGITS_PER_MOVE + 1 << " ("
                          << line.substr(at, book::DIGITS_PER_MOVE) << ")\n";
                return 1;
            }
        }
    }
    if (lineNumber > book::BOOK_MAX_LINES) { std::cerr << path << ": more lines than the engine loads\n"; return 1; }
    std::cout << path << ": " << lineNumber << " lines ok, " << fewestPlies << " to " << mostPlies << " plies\n";
    return 0;
}

// The positions the lines reach after `plies` moves, once each, as EPD: match openings that
// start where the book would have left the engine. Shorter lines are skipped.
int openings(const char* inPath, const char* pliesText) {
    std::ifstream in(inPath);
    if (!in) { std::cerr << "cannot read " << inPath << "\n"; return 1; }
    const int plies = std::atoi(pliesText);
    if (plies < 1) { std::cerr << "plies must be a positive number: " << pliesText << "\n"; return 2; }
    std::string text;
    std::set<std::string> seen;
    while (std::getline(in, text)) {
        std::istringstream words(text);
        std::string word;
        if (!(words >> word) || word[0] == '#') continue;
        startFromInitialPosition();
        int played = 0;
        do {
            if (word.size() != COORDINATE_MOVE_LENGTH ||
                !playSquares(word[1] - '1', word[0] - 'a', word[3] - '1', word[2] - 'a'))
                break;
        } while (++played < plies && words >> word);
        if (played < plies) continue;
        char fen[frontend::FEN_TEXT_SIZE];
        frontend::writeFen(fen);
        if (seen.insert(fen).second) std::cout << fen << "\n";
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    frontend::startUp(TOOL_SEED);
    if (argc == 3 && std::strcmp(argv[1], "--check") == 0) return check(argv[2]);
    if (argc == 4 && std::strcmp(argv[1], "--openings") == 0) return openings(argv[2], argv[3]);
    if (argc == 3) return convert(argv[1], argv[2]);
    std::cerr << "usage: makebook <lines.txt> <out.obk> | makebook --check <book.obk> | makebook --openings <lines.txt> <plies>\n";
    return 2;
}
