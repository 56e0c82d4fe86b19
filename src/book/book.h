// The opening book: lines of four-digit moves, narrowed as the game goes on.
#pragma once

#include "types.h"

namespace book {

constexpr int BOOK_MAX_LINES = 200;
constexpr int BOOK_LINE_SIZE = 256;
constexpr int DIGITS_PER_MOVE = 4;
constexpr const char* BOOK_FILE_NAME = "book.obk";

extern char bookLines[BOOK_MAX_LINES][BOOK_LINE_SIZE];
extern int bookLineCount;
extern char bookMatches[BOOK_MAX_LINES][BOOK_LINE_SIZE];
extern char gameMoveText[BOOK_LINE_SIZE];
extern bool bookActive;
// The game began at the initial position, so gameMoveText can follow it; a set-up position ends that.
extern bool gameFromInitialPosition;

// Makes loadBook read this file and no other; tests and the benchmark point it elsewhere.
void setBookPath(const char* path);
// Reads book.obk from the working directory or, when there is none, the book installed
// with the program (set at build time, relative to the program's own directory).
void loadBook();
// Keeps the lines that begin with the game so far and have a legal next move;
// fills move with one of them, or switches the book off when none is left.
void probeBook(Move& move);
// Appends the move's digits to gameMoveText; switches the book off when full.
void appendBookDigits(const Move& move);
// Clears gameMoveText and the scratch table.
void clearGameText();
// After a take-back to this ply: the text is cut back, the file read afresh and the
// book on again when the game is back among moves the text holds (the next probe decides).
void takeBackGameText(int ply);

}  // namespace book
