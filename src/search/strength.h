// The playing level: off (the design's search) or an Elo on the scale of the calibration
// table in docs/levels.md. A level sees less (a node budget) and picks among the best root lines
// within a loss budget; both grow with the level.
#pragma once

#include <cstdint>

#include "search/timecontrol.h"

namespace search {

constexpr int STRENGTH_MIN_ELO = 800;
// The full strength, measured: a level set here weakens nothing.
constexpr int STRENGTH_MAX_ELO = 1800;
// The root lines a limited search weighs against each other.
constexpr int STRENGTH_CANDIDATES = 4;
// A limited level never answers sooner of its own accord, where the clock allows it.
constexpr int MIN_REPLY_MS = 100;

// Takes effect at the next search. False, with the level unchanged, for an Elo out of range.
bool setStrength(int elo);
void clearStrength();
// The level the next search plays at; 0 when off.
int strengthElo();

// What the search at the level in force does.
struct StrengthPlan {
    bool weakens;  // it cuts nodes and chooses among lines (not at the full level, nor against a lone king)
    std::int64_t nodeBudget;
    int lossBudget;  // centipawns below the best line a chosen line may be
};

// Latches the level for the search now starting, and sets the evaluation's lone-king guidance.
StrengthPlan beginSearchAtLevel();
// While armed, the search stops once it has finished an iteration and counted this many nodes
// more; the driver's input hook is still asked at every node.
void armNodeBudget(std::int64_t budget);
void disarmNodeBudget();
// The rank (0 is the best) of the line to play among scores sorted best first.
int chooseLine(const int* scores, int count, int lossBudget);
// Holds back a limited level's reply until MIN_REPLY_MS after start (or the budget, if shorter),
// still reading input through the driver's hook; a line that ends a search ends the wait.
void holdReplyAtLevel(const ClockReading& start, int budgetMs);

}  // namespace search
