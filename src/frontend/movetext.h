// Moves as coordinate text: the user's (or interface's) moves in, the engine's replies out.
#pragma once

#include "types.h"

namespace frontend {

constexpr int REPLY_TEXT_LENGTH = 6;
constexpr int REPLY_BUFFER_SIZE = 8;

// How castling is written. Standard notation: the king's two-square move (e1g1). Chess960
// notation: the king taking its own rook (e1h1), and in the xboard protocol O-O or O-O-O, as
// its document names them for Fischer Random. Set by UCI's UCI_Chess960, xboard's
// "variant fischerandom" and the console's "new960" (or a loaded Chess960 position).
extern bool chess960Notation;
// True for a castling move the xboard protocol writes as O-O or O-O-O.
bool writtenInLetters(const Move& move);

enum class MoveTextKind {
    NOT_A_MOVE,  // does not have the shape letter-digit-letter-digit
    UNPLAYABLE,  // move-shaped, but off the board or from an empty square
    PLAYABLE,
};

// The six-character reply: squares, promotion letter or a space, a space; castling written
// in letters "O-O" or "O-O-O", spaces after it.
void moveReplyText(const Move& move, char* text);
// The move in coordinates as UCI writes it: the promotion letter only when it promotes.
void coordinateText(const Move& move, char (&text)[REPLY_BUFFER_SIZE]);
// The legal move a coordinate text's squares name, castling read as the notation in force
// writes it (the console also takes the king taking its rook); false when there is none.
bool legalMoveOfSquares(int fromRow, int fromCol, int toRow, int toCol, PieceCode promotion, Move& move);
// The legal castling "O-O" or "O-O-O" (or with zeros) names; false when it is not legal now.
bool legalCastlingOfLetters(const char* text, Move& move);
// Builds the record for a typed move as the board stands; the position is not touched. A
// castling text in the notation in force gives the generated castling move.
MoveTextKind parseUserMove(const char* text, Move& move);
// True when the parsed record is a legal move of the side to move.
bool isLegalUserMove(const Move& move);
// Plays a typed move when it is legal; anything else is refused with a message and
// changes nothing. Whether the engine answers is the caller's to decide.
bool playUserMove(const char* text);
// Plays a legal move the user named as text; refused with the text once the game is too long.
bool playLegalUserMove(Move& move, const char* text);

}  // namespace frontend
