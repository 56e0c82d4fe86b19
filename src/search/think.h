// The engine's turn: book move or iterative deepening, then play and report.
#pragma once

#include <cstdint>

#include "types.h"

namespace search {

// A score beyond this is a mate: the mate score less the plies a search can span.
constexpr int MATE_THRESHOLD = 1000000 - MAX_PLY;
constexpr int DEFAULT_MAX_DEPTH = 20;
constexpr int MAX_MULTI_PV = 256;

// The last iteration's depth of a think (20 unless a driver's depth setting says otherwise).
extern std::uint8_t maxDepth;
// How many root lines each iteration reports (the MultiPV setting); 1 is the design's search.
extern int multiPvLines;

struct IterationResult {
    int depth;  // the depth at which the loop stopped (last depth + 1 after a full loop)
    int score;
};

// Clears history, killers and PV, then deepens from 1 to depthLimit. The caller
// sets timeBudget and thinkStart. Each completed iteration is reported.
IterationResult iterativeDeepening(int depthLimit);
// Where the driver asks that the last line name the move played: one more line when the move
// to play is not the first of the last line reported (an iteration cut short found it, or
// it came from elsewhere; score is then the line's score).
void reportMoveToPlay(const Move& move, int depth, int score);
// A best line was reported since the last iterativeDeepening began.
bool anyLineReported();
// Row 0 of the PV table holds a move to play.
bool rootMoveStored();
// Legal root moves the search may consider (a "searchmoves" list counts).
int searchableRootMoves();
// The first legal move of the side to move in generation order (among the root moves a
// "searchmoves" list allows, while one is set).
bool firstLegalMove(Move& move);
// True when the move is legal in the current position (the position is unchanged).
bool isLegalMove(Move& move);
// The legal move of the side to move with these squares and promotion (EMPTY for none).
bool findLegalMove(int fromRow, int fromCol, int toRow, int toCol, PieceCode promotion, Move& move);
// Plays a game move: book digits, makeMove and the half-move clock.
void playGameMove(Move& move);
void think();

}  // namespace search
