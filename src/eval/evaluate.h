// Static evaluation of the current position, seen from the side to move.
#pragma once

#include "eval/tables.h"
#include "types.h"

namespace eval {

// Positions with fewer queens, rooks, bishops and knights use the end-game evaluator.
constexpr int MIDDLEGAME_MIN_PIECES = 5;

int evaluate();
// A side left with its king alone is driven to the edge and met by the other king. The
// design's end-game evaluation sees material and tables only, which cannot find the long mates
// with king and rook; only a limited playing level turns this on, so the design's search stays as it is.
void setLoneKingGuidance(bool enabled);
// One side has nothing but its king and the other has more.
bool loneKingOnBoard();
int evaluateMiddlegame();
int evaluateEndgame();
// Material and table value of a piece on a square: white positive, black negative, kings 0.
inline int pieceSquareValue(PieceCode code, int row, int col) {
    return code >= 0 && code < PIECE_CODE_COUNT ? PIECE_SQUARE_VALUES[code][row][col] : 0;
}
int whiteShieldPenalty(int pawnRow, int kingRow);
int blackShieldPenalty(int pawnRow, int kingRow);

// Material and tables only: the cheap estimate of the futility test.
int quickEvaluate();
int quickEvaluateMiddlegame();
int quickEvaluateEndgame();

}  // namespace eval
