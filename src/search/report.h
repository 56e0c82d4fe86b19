// What a think tells the outside world. The active driver (console, xboard, UCI) fills this
// in when it takes over, so the search and the book never know any protocol's texts.
#pragma once

#include "types.h"

namespace search {

// One line about an iteration: the line as the search left it (the printing cuts it).
struct LineReport {
    int depth;
    int score;
    int multiPv;  // 1 for the best line
    const Move* moves;
    int length;
};

// A root move is told only once the search has run this long: a short search says nothing
// of its moves, a long one shows what it is doing.
constexpr int ROOT_MOVE_REPORT_AFTER_MS = 3000;

struct Reports {
    // After every completed iteration, one call per reported root line.
    void (*line)(const LineReport& report) = nullptr;
    // A root move the search starts on, numbered from 1 in the order searched (each line of a
    // multi-line iteration counts afresh); only after ROOT_MOVE_REPORT_AFTER_MS of search.
    void (*rootMove)(const Move& move, int number) = nullptr;
    // Asks for one more line when the move to play is not the first of the last line reported.
    bool lastLineNamesMove = false;
    // The end of a think's search: a mate or a repetition seen at the root (mateDepth is the
    // depth at which the loop stopped).
    void (*outcome)(int score, int mateDepth, bool repetition) = nullptr;
    void (*resign)() = nullptr;
    void (*repetitionResult)() = nullptr;
    void (*movePlayed)(const Move& move) = nullptr;
    void (*drawByRepetition)() = nullptr;
    void (*gameTooLong)() = nullptr;
    void (*thinkDone)() = nullptr;
    // Fewer search threads could be started than the Threads setting asks for.
    void (*threadsShort)(int started, int asked) = nullptr;
};

// Silent until a driver installs its own.
extern Reports reports;

}  // namespace search
