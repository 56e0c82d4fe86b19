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
// UCI's "go perft": one line a root move ("e2e4: 600"), then an empty line and the total.
void printPerftMoveLeaves(const char* moveText, std::int64_t leaves);
void printPerftLeavesTotal(std::int64_t leaves);
// The last line of "morvelline bench", as OpenBench reads it: "4569262 nodes 4662512 nps".
void printBenchResult(std::int64_t nodes, std::int64_t nodesPerSecond);
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
// A typed SAN move refused, with what is wrong: "Illegal move: Nd2 (ambiguous: Nbd2, Nfd2)".
void printIllegalMoveBecause(const char* text, const char* reason);
void printError(const char* reason, const char* text);
// The refusal of a "strength" line, with the range of levels.
void printStrengthError(const char* text);
void printThreadsError(const char* command, const char* text);
// Fewer search threads started than asked for: the console's and xboard's form.
void printThreadsShort(int started, int asked);
void printProtocolEntry();
void printHelp();
void printFen(const char* text);
// The console's "pgn": a tag pair, a line of move text, and the empty line between the two parts.
void printPgnTag(const char* name, const char* value);
void printPgnLine(const char* text);
void printCheckmate(Color winner);
void printStalemate();
void printThinkingLine(const char* text);
// A UCI line, printed as given with a line end.
void printUciLine(const char* text);
void flushOutput();
// The second version of the xboard protocol: the feature list (done=0 first, done=1 last,
// the options between), its replies and its analysis status line.
void printFeatureStart();
void printFeatures();
void printCheckOptionFeature(const char* name, bool value);
void printSpinOptionFeature(const char* name, int value, int min, int max);
void printButtonOptionFeature(const char* name);
void printFeatureEnd();
void printPong(const char* number);
// A "setboard" refused; fen is the position as it came.
void printIllegalPosition(const char* fen);
void printHint(const char* move);
void printAnalysisStatus(long long centiseconds, long long nodes, int depth, int movesLeft, int movesTotal);

}  // namespace frontend
