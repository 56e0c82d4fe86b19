// Line input and non-blocking polling of standard input.
#pragma once

#include <cstddef>
#include <cstdio>

namespace frontend {

// 255 characters and the terminator.
constexpr int LINE_BUFFER_SIZE = 256;

// Reads a descriptor in blocks; polling must see what it holds but has not handed out.
struct LineReader {
    int descriptor;
    char buffer[4096];
    std::size_t begin;
    std::size_t end;
    bool atEnd;
};

extern LineReader standardInput;

// Points a reader at a descriptor (tests use a pipe).
void attachReader(LineReader& reader, int descriptor);

// How a read line ended: at a line feed, at the end of the stream after some
// text, or at the end of the stream with nothing read.
enum class LineEnd { LINE_FEED, STREAM_END_AFTER_TEXT, STREAM_END };

// One line into text (at most size - 1 characters, the rest dropped). The line
// feed, and a carriage return right before it, are not stored.
LineEnd readLine(char* text, int size, LineReader& stream);
LineEnd readLine(char* text, int size, std::FILE* stream);

// Non-zero when input is waiting on the reader: bytes it holds, bytes in the
// descriptor, or a closed writer (which counts as waiting input).
unsigned inputAvailable(LineReader& reader);
unsigned inputAvailable();
// True when readLine would return at once: a whole line (or the end of the
// stream) is waiting. Reads ahead what the descriptor holds, without blocking.
bool lineWaiting(LineReader& reader);

}  // namespace frontend
