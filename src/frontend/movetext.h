// Moves as coordinate text: the user's (or interface's) moves in, the engine's replies out.
#pragma once

#include "types.h"

namespace frontend {

constexpr int REPLY_TEXT_LENGTH = 6;
constexpr int REPLY_BUFFER_SIZE = 8;

enum class MoveTextKind {
    NOT_A_MOVE,  // does not have the shape letter-digit-letter-digit
    UNPLAYABLE,  // move-shaped, but off the board or from an empty square
    PLAYABLE,
};

// The six-character reply: squares, promotion letter or a space, a space.
void moveReplyText(const Move& move, char* text);
// Builds the record for a typed move as the board stands; the position is not touched.
MoveTextKind parseUserMove(const char* text, Move& move);
// True when the parsed record is a legal move of the side to move.
bool isLegalUserMove(const Move& move);
// Plays a typed move when it is legal; anything else is refused with a message and
// changes nothing. Whether the engine answers is the caller's to decide.
bool playUserMove(const char* text);
// Plays a legal move the user named as text; refused with the text once the game is too long.
bool playLegalUserMove(Move& move, const char* text);

}  // namespace frontend
