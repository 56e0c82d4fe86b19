// Book lines are matched as text against the game's own digit text.
#include "book/book.h"

#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <string>

#include "board/position.h"
#include "board/random.h"
#include "search/think.h"

namespace book {

char bookLines[BOOK_MAX_LINES][BOOK_LINE_SIZE];
int bookLineCount = 0;
char bookMatches[BOOK_MAX_LINES][BOOK_LINE_SIZE];
char gameMoveText[BOOK_LINE_SIZE];
bool bookActive = false;
bool gameFromInitialPosition = true;

namespace {

// Where an installed program finds its book, from its own directory (the build sets it
// from the install layout, so the installed tree can be moved as a whole).
#ifndef MORVELLINE_INSTALLED_BOOK
#define MORVELLINE_INSTALLED_BOOK "../share/morvelline/book.obk"
#endif

std::string bookPath = BOOK_FILE_NAME;
// Cleared by setBookPath: a chosen file is the only one read.
bool installedBookAllowed = true;

// The installed book's path, worked out once; empty when the program cannot find itself.
const std::string& installedBookPath() {
    static const std::string path = [] {
        char program[PATH_MAX];
        const ssize_t length = ::readlink("/proc/self/exe", program, sizeof program - 1);
        if (length <= 0) return std::string();
        std::string directory(program, static_cast<std::size_t>(length));
        directory.erase(directory.rfind('/') + 1);
        return directory + MORVELLINE_INSTALLED_BOOK;
    }();
    return path;
}

std::FILE* openBook() {
    std::FILE* file = std::fopen(bookPath.c_str(), "r");
    if (file == nullptr && installedBookAllowed && !installedBookPath().empty())
        file = std::fopen(installedBookPath().c_str(), "r");
    return file;
}

// One line of the file, its line feed (and a carriage return before it) not stored, cut to
// size - 1 characters; false at the end of the file before a line feed: a last line with
// no line end is not a whole line.
bool readBookLine(std::FILE* file, char* line, int size) {
    int stored = 0;
    bool returnStored = false;  // the byte before is a carriage return that went into the line
    for (int byte = std::getc(file); byte != EOF; byte = std::getc(file)) {
        if (byte == '\n') {
            if (returnStored) --stored;
            line[stored] = '\0';
            return true;
        }
        returnStored = false;
        if (stored < size - 1) {
            line[stored++] = static_cast<char>(byte);
            returnStored = byte == '\r';
        }
    }
    return false;
}

bool isBoardDigit(char digit) { return digit >= '0' && digit < '0' + BOARD_SIZE; }

// The line's move at this ply, when it is four board digits naming a legal move (never a promotion).
bool bookMoveAt(const char* line, int offset, Move& move) {
    if (static_cast<int>(std::strlen(line)) < offset + DIGITS_PER_MOVE) return false;
    for (int digit = 0; digit < DIGITS_PER_MOVE; ++digit)
        if (!isBoardDigit(line[offset + digit])) return false;
    // Going through the generator also gives castling and en passant their flags.
    return search::findLegalMove(line[offset] - '0', line[offset + 1] - '0', line[offset + 2] - '0',
                                 line[offset + 3] - '0', EMPTY, move);
}

}  // namespace

void setBookPath(const char* path) {
    bookPath = path;
    installedBookAllowed = false;
}

void loadBook() {
    bookLineCount = 0;
    std::FILE* file = openBook();
    if (file == nullptr) return;
    char line[BOOK_LINE_SIZE];
    // Only lines that end with a line feed are stored, and no more than the table holds.
    while (bookLineCount < BOOK_MAX_LINES && readBookLine(file, line, BOOK_LINE_SIZE)) {
        std::memcpy(bookLines[bookLineCount], line, BOOK_LINE_SIZE);
        ++bookLineCount;
    }
    std::fclose(file);
}

void clearGameText() {
    std::memset(gameMoveText, 0, sizeof gameMoveText);
    std::memset(bookMatches, 0, sizeof bookMatches);
}

void takeBackGameText(int ply) {
    const int offset = DIGITS_PER_MOVE * ply;
    // Moves past the text's end were played out of the book: the game is still outside it.
    if (!gameFromInitialPosition || static_cast<int>(std::strlen(gameMoveText)) < offset) return;
    gameMoveText[offset] = '\0';
    loadBook();
    bookActive = true;
}

void probeBook(Move& move) {
    const int played = static_cast<int>(std::strlen(gameMoveText));
    const int offset = DIGITS_PER_MOVE * board::gamePly;
    int matches = 0;
    Move candidate{};
    if (played == offset) {
        for (int line = 0; line < bookLineCount; ++line) {
            if (std::strncmp(bookLines[line], gameMoveText, played) != 0) continue;
            if (!bookMoveAt(bookLines[line], offset, candidate)) continue;
            std::memcpy(bookMatches[matches++], bookLines[line], BOOK_LINE_SIZE);
        }
    }
    for (int line = 0; line < matches; ++line) std::memcpy(bookLines[line], bookMatches[line], BOOK_LINE_SIZE);
    bookLineCount = matches;
    if (matches == 0) {
        bookActive = false;
        return;
    }
    const int draw = board::random15();
    int chosen = draw * bookLineCount / board::RANDOM_MAX;
    if (chosen >= bookLineCount) chosen = bookLineCount - 1;
    bookMoveAt(bookLines[chosen], offset, move);
    bookActive = true;
}

void appendBookDigits(const Move& move) {
    const int offset = DIGITS_PER_MOVE * board::gamePly;
    // The text holds 255 digits; a game past the book's reach has left the book anyway.
    if (offset + DIGITS_PER_MOVE >= BOOK_LINE_SIZE || static_cast<int>(std::strlen(gameMoveText)) != offset) {
        bookActive = false;
        return;
    }
    const int digits[DIGITS_PER_MOVE] = {move.fromRow, move.fromCol, move.toRow, move.toCol};
    for (int digit = 0; digit < DIGITS_PER_MOVE; ++digit)
        gameMoveText[offset + digit] = static_cast<char>('0' + digits[digit]);
    gameMoveText[offset + DIGITS_PER_MOVE] = '\0';
}

}  // namespace book
