// Standard algebraic notation (Nf3, exd5, O-O, e8=Q): the moves a person types at the
// console, and the moves the console writes in its PGN.
#pragma once

#include "types.h"

namespace frontend {

// The longest SAN is "Qh4xe1+" or "exd8=Q#"; room to spare.
constexpr int SAN_TEXT_SIZE = 16;
// A refusal's reason: an ambiguous text lists every move it could mean.
constexpr int SAN_REASON_SIZE = 256;

// The legal moves of the side to move, copied out of the current ply's list.
struct LegalMoves {
    Move move[MAX_MOVES];
    int count;
};
void collectLegalMoves(LegalMoves& legal);

// True when the text (a console word) has the shape of a SAN move: castling with letters
// O or zeros, a piece letter K, Q, R, B or N with a square's digit after it, or a pawn's
// file followed by a digit, by x and a file, or by a file and a digit. Anything else is no move at all.
bool looksLikeSan(const char* text);

enum class SanReading {
    MOVE,     // names exactly one legal move
    REFUSED,  // move-shaped but malformed, illegal or ambiguous; the reason says which
};
// Reads a move-shaped text against the position, which is left as it is.
SanReading readSan(const char* text, Move& move, char (&reason)[SAN_REASON_SIZE]);

// The SAN of a legal move of the side to move, with "+" or "#" when withCheck is set
// (the move is made and taken back to see); the position is left as it is.
void writeSan(const Move& move, bool withCheck, char (&text)[SAN_TEXT_SIZE]);

// Plays a typed SAN move when it names exactly one legal move; otherwise prints
// "Illegal move: TEXT (reason)" and changes nothing. The engine's answer is the caller's.
bool playSanMove(const char* text);

}  // namespace frontend
