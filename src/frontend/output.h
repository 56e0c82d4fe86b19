// The printing layer: every text the engine writes is formed here, and in the
// protocol modes every line is flushed at once so the interface sees it.
#pragma once

#include <cstdint>

#include "types.h"

namespace frontend {

// Set when a protocol driver takes over standard output.
void setProtocolOutput(bool enabled);

void printQuitMessage();
void printBoardText(const char* text);
void printPerftResult(std::int64_t count, std::int64_t milliseconds);
void printHash(HashKey computed, HashKey current);
void printValue(int value);
void printFileMissing();
void printPositionNotLoaded(const char* reason);
void printMoveReply(const char* replyText);
void printResign();
void printDrawByRepetition();
void printRepetitionResult();
void printMateIn(int moves);
void printLoseIn(int moves);
void printUnknownCommand(const char* text);
void printIllegalMove(const char* text);
void printError(const char* reason, const char* text);
// The refusal of a "strength" line, with the range of levels.
void printStrengthError(const char* text);
void printProtocolEntry();
void printHelp();
void printFen(const char* text);
void printCheckmate(Color winner);
void printStalemate();
void printThinkingLine(const char* text);
// A UCI line, printed as given with a line end.
void printUciLine(const char* text);
void flushOutput();

}  // namespace frontend
