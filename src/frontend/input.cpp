// Our own buffered reader over a descriptor, so that polling can count what
// has been read ahead; poll() and FIONREAD give the non-blocking view.
#include "frontend/input.h"

#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>

namespace frontend {

LineReader standardInput = {STDIN_FILENO, {}, 0, 0, false, 0, NEVER_POLLED};

namespace {

constexpr char LINE_FEED = '\n';
constexpr char CARRIAGE_RETURN = '\r';
constexpr int END_OF_STREAM = -1;
constexpr std::int64_t MICROSECONDS_PER_SECOND = 1000000;
constexpr long NANOSECONDS_PER_MICROSECOND = 1000;

// The monotonic clock goes through the vDSO: no system call.
std::int64_t monotonicMicroseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * MICROSECONDS_PER_SECOND + now.tv_nsec / NANOSECONDS_PER_MICROSECOND;
}

// True when the descriptor may be asked again.
bool pollDue(LineReader& reader) {
    if (++reader.callsSinceClock < CALLS_PER_CLOCK_READ) return false;
    reader.callsSinceClock = 0;
    const std::int64_t now = monotonicMicroseconds();
    if (now - reader.lastPollMicroseconds < POLL_INTERVAL_MICROSECONDS) return false;
    reader.lastPollMicroseconds = now;
    return true;
}

// A whole line, or the end of the stream, already in the reader.
bool lineHeld(const LineReader& reader) {
    return reader.atEnd ||
           (reader.begin != reader.end &&
            std::memchr(reader.buffer + reader.begin, LINE_FEED, reader.end - reader.begin) != nullptr);
}

int nextByte(LineReader& reader) {
    if (reader.begin == reader.end) {
        if (reader.atEnd) return END_OF_STREAM;
        ssize_t got;
        do {
            got = ::read(reader.descriptor, reader.buffer, sizeof reader.buffer);
        } while (got < 0 && errno == EINTR);
        if (got <= 0) {
            reader.atEnd = true;
            return END_OF_STREAM;
        }
        reader.begin = 0;
        reader.end = static_cast<std::size_t>(got);
    }
    return static_cast<unsigned char>(reader.buffer[reader.begin++]);
}

int nextByte(std::FILE* stream) {
    const int byte = std::fgetc(stream);
    return byte == EOF ? END_OF_STREAM : byte;
}

template <typename Stream>
LineEnd readLineFrom(char* text, int size, Stream& stream) {
    int stored = 0;
    bool readSomething = false;
    bool sawLineFeed = false;
    bool pendingReturn = false;  // a carriage return not yet known to end the line
    auto store = [&](char character) {
        if (stored < size - 1) text[stored++] = character;
    };
    for (int byte = nextByte(stream); byte != END_OF_STREAM; byte = nextByte(stream)) {
        readSomething = true;
        if (byte == LINE_FEED) {
            pendingReturn = false;
            sawLineFeed = true;
            break;
        }
        if (pendingReturn) store(CARRIAGE_RETURN);
        pendingReturn = byte == CARRIAGE_RETURN;
        if (!pendingReturn) store(static_cast<char>(byte));
    }
    if (pendingReturn) store(CARRIAGE_RETURN);
    if (size > 0) text[stored] = '\0';
    if (sawLineFeed) return LineEnd::LINE_FEED;
    return readSomething ? LineEnd::STREAM_END_AFTER_TEXT : LineEnd::STREAM_END;
}

}  // namespace

void attachReader(LineReader& reader, int descriptor) {
    reader.descriptor = descriptor;
    reader.begin = reader.end = 0;
    reader.atEnd = false;
    reader.callsSinceClock = 0;
    reader.lastPollMicroseconds = NEVER_POLLED;
}

LineEnd readLine(char* text, int size, LineReader& stream) { return readLineFrom(text, size, stream); }

LineEnd readLine(char* text, int size, std::FILE* stream) { return readLineFrom(text, size, stream); }

unsigned inputAvailable(LineReader& reader) {
    const auto held = static_cast<unsigned>(reader.end - reader.begin);
    if (held > 0) return held;
    if (reader.atEnd) return 1;
    pollfd request = {reader.descriptor, POLLIN, 0};
    if (::poll(&request, 1, 0) <= 0) return 0;
    int waiting = 0;
    if (::ioctl(reader.descriptor, FIONREAD, &waiting) == 0 && waiting > 0) return static_cast<unsigned>(waiting);
    // Readable with nothing to read: the writer has gone, which must stop a search.
    return 1;
}

unsigned inputAvailable() { return inputAvailable(standardInput); }

bool lineWaiting(LineReader& reader) {
    for (;;) {
        for (std::size_t index = reader.begin; index < reader.end; ++index)
            if (reader.buffer[index] == LINE_FEED) return true;
        if (reader.atEnd) return true;
        // Move what is held to the front, then take what the descriptor has without waiting.
        const std::size_t held = reader.end - reader.begin;
        if (held == sizeof reader.buffer) return true;  // a line longer than the buffer: let readLine drop it
        std::memmove(reader.buffer, reader.buffer + reader.begin, held);
        reader.begin = 0;
        reader.end = held;
        pollfd request = {reader.descriptor, POLLIN, 0};
        if (::poll(&request, 1, 0) <= 0) return false;
        ssize_t got;
        do {
            got = ::read(reader.descriptor, reader.buffer + held, sizeof reader.buffer - held);
        } while (got < 0 && errno == EINTR);
        if (got <= 0) {
            reader.atEnd = true;
            return true;
        }
        reader.end = held + static_cast<std::size_t>(got);
    }
}

bool inputWaitingPaced(LineReader& reader) {
    if (reader.begin != reader.end || reader.atEnd) return true;
    return pollDue(reader) && inputAvailable(reader) != 0;
}

bool lineWaitingPaced(LineReader& reader) {
    if (lineHeld(reader)) return true;
    return pollDue(reader) && lineWaiting(reader);
}

}  // namespace frontend
