// Console lines are for a person; protocol lines follow the interface's format.
#include "frontend/thinking.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "frontend/console.h"
#include "frontend/movetext.h"
#include "frontend/output.h"
#include "search/pv.h"
#include "search/think.h"
#include "search/timecontrol.h"

namespace frontend {

namespace {

constexpr int THINKING_TEXT_SIZE = 1024;
constexpr float CENTIPAWNS_PER_PAWN = 100.0f;

// Appends to text at used, never past the buffer.
[[gnu::format(printf, 3, 4)]] void append(char* text, int& used, const char* format, ...) {
    if (used >= THINKING_TEXT_SIZE - 1) return;
    va_list arguments;
    va_start(arguments, format);
    const int written = std::vsnprintf(text + used, THINKING_TEXT_SIZE - used, format, arguments);
    va_end(arguments);
    if (written > 0) used = used + written < THINKING_TEXT_SIZE ? used + written : THINKING_TEXT_SIZE - 1;
}

void appendLine(char* text, int& used, const char* moveFormat) {
    for (int ply = 0; ply < search::pvLength[0] && ply < MAX_PLY; ++ply) {
        const Move& move = search::PvTable[0][ply];
        append(text, used, moveFormat, 'a' + move.fromCol, move.fromRow + 1, 'a' + move.toCol, move.toRow + 1);
    }
}

void appendUciLine(char* text, int& used) {
    for (int ply = 0; ply < search::pvLength[0] && ply < MAX_PLY; ++ply) {
        const Move& move = search::PvTable[0][ply];
        char reply[REPLY_BUFFER_SIZE];
        moveReplyText(move, reply);
        // The reply's fifth character is the promotion letter or a space.
        reply[move.promotion == EMPTY ? 4 : 5] = '\0';
        append(text, used, " %s", reply);
    }
}

}  // namespace

int uciMateMoves(int depth, int score) { return score > 0 ? (depth + 1) / 2 : -(depth / 2); }

void printThinking(int depth, int score) {
    char text[THINKING_TEXT_SIZE];
    int used = 0;
    text[0] = '\0';
    const auto nodes = static_cast<long long>(search::nodeCount);
    if (uciMode) {
        const long long elapsed = search::elapsedMilliseconds(search::thinkStart, search::readClock());
        append(text, used, "info depth %d ", depth);
        if (std::abs(score) > search::MATE_THRESHOLD)
            append(text, used, "score mate %d", uciMateMoves(depth, score));
        else
            append(text, used, "score cp %d", score);
        append(text, used, " nodes %lld time %lld nps %lld pv", nodes, elapsed,
               nodes * 1000 / (elapsed > 0 ? elapsed : 1));
        appendUciLine(text, used);
        printThinkingLine(text);
    } else if (xboardMode) {
        append(text, used, "%d %d %d %lld", depth, score, 0, nodes);
        appendLine(text, used, " %c%d%c%d");
        printThinkingLine(text);
    } else {
        append(text, used, "Depth:%d Nodes:%lld Value:%+5.2f ", depth, nodes,
               static_cast<double>(static_cast<float>(score) / CENTIPAWNS_PER_PAWN));
        appendLine(text, used, "%c%d%c%d-");
        printThinkingLine(text);
    }
}

}  // namespace frontend
