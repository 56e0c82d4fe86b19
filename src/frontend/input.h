// Line input and non-blocking polling of standard input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace frontend {

// 255 characters and the terminator.
constexpr int LINE_BUFFER_SIZE = 256;

// The search asks for input at every node, but asking the descriptor is a system call:
// at every node it halved the search's speed. So the descriptor is asked at most once per
// POLL_INTERVAL_MICROSECONDS, and the clock itself is read once per CALLS_PER_CLOCK_READ
// questions.
constexpr std::int64_t POLL_INTERVAL_MICROSECONDS = 1000;
constexpr unsigned CALLS_PER_CLOCK_READ = 16;

// Reads a descriptor in blocks; polling must see what it holds but has not handed out.
struct LineReader {
    int descriptor;
    char buffer[4096];
    std::size_t begin;
    std::size_t end;
    bool atEnd;
    // Pacing of the search's polls: questions since the clock was read, and when the
    // descriptor was last asked (NEVER_POLLED: the first due question asks it).
    unsigned callsSinceClock;
    std::int64_t lastPollMicroseconds;
};

constexpr std::int64_t NEVER_POLLED = INT64_MIN / 2;

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

// The search's versions of the two questions above: what the reader already holds (or
// its end) answers at once, on every call; the descriptor is asked only when the pacing
// above says it is due. Nothing is consumed, so the line is read once, after the search.
bool inputWaitingPaced(LineReader& reader);
bool lineWaitingPaced(LineReader& reader);

}  // namespace frontend
