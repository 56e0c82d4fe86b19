// The game's record: its key history (in position.h) with the repetition test,
// and the moves that led there, so that a take-back restores everything a move changed.
#pragma once

#include "board/position.h"
#include "types.h"

namespace board {

// A game move as makeMove left it (captured and savedEpFile filled in), and the
// half-move clock before it, which the move itself cannot give back.
struct GameMove {
    Move move;
    int halfMoveClock;
};

// GameMoves[i] leads from GameHistory entry i to entry i + 1; entries below gamePly are the game's.
extern GameMove GameMoves[GAME_HISTORY_SIZE];
// The move number of the game's first position, for the FEN text of later ones.
extern int firstMoveNumber;

// At the root a third occurrence counts, below it a second one.
bool isRepetition();

// Makes the current position the game's first: nothing to take back, its key entry 0.
void startGameRecord(int halfMoves, int moveNumber);
// Plays a move of the game: makeMove, the half-move clock and the record for take-backs.
void makeGameMove(Move& move);
// Takes back the game's last move; false, with nothing changed, when there is none.
bool takeBackGameMove();
// The FEN move number of the current position.
int currentMoveNumber();

}  // namespace board
