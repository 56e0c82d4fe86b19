// Shared by the fuzz targets: one engine per process, reset before every input
// so that a crash found by one input repeats when that input is run alone.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "board/keys.h"
#include "board/position.h"
#include "board/random.h"
#include "book/book.h"
#include "frontend/console.h"
#include "frontend/input.h"
#include "frontend/output.h"
#include "frontend/reports.h"
#include "frontend/words.h"
#include "search/pv.h"
#include "search/search.h"
#include "search/threads.h"
#include "search/timecontrol.h"

namespace fuzz {

constexpr std::uint32_t SEED = 12345;
// Two plies keep a fuzzed "move" or answered user move quick.
constexpr std::uint8_t FUZZ_DEPTH = 2;

// A wild position (a dozen queens) can make even a two-ply search slow, and the
// protocol's "new" lifts the depth limit; every search stops here, as a node limit would.
constexpr std::int64_t MAX_FUZZ_NODES = 5000;
// Enough lines for an opening and a middle game, few enough that the searches
// of one input stay far below the per-input timeout.
constexpr int MAX_SESSION_LINES = 128;

inline bool nodeCapReached() { return search::nodeCount >= MAX_FUZZ_NODES; }

// Deeper perft is correct but slow, and no node cap stops it; the fuzzer would spend its time counting.
constexpr long long MAX_FUZZ_PERFT = 2;

// The console's "perft N", or under UCI "go perft N", deeper than MAX_FUZZ_PERFT.
inline bool perftTooDeep(const char* line, bool underGo) {
    char copy[frontend::LINE_BUFFER_SIZE];
    std::snprintf(copy, sizeof copy, "%s", line);
    const frontend::Words words = frontend::splitWords(copy);
    const int first = underGo ? 1 : 0;
    if (underGo && (words.count == 0 || std::strcmp(words.word[0], "go") != 0)) return false;
    long long depth = 0;
    return words.count > first + 1 && std::strcmp(words.word[first], "perft") == 0 &&
           frontend::parseInteger(words.word[first + 1], depth) && depth > MAX_FUZZ_PERFT;
}

// Report through libFuzzer: a trap is a crash with the input saved.
inline void check(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "fuzz invariant broken: %s\n", what);
    __builtin_trap();
}

inline void startEngine() {
    book::setBookPath(MORVELLINE_BOOK_FILE);
    frontend::startUp(SEED);
}

// Console mode, a new game, the tiny depth and a fixed random sequence.
inline void resetEngine() {
    frontend::xboardMode = false;
    frontend::uciMode = false;
    frontend::setProtocolOutput(false);
    frontend::installConsoleReports();
    search::protocolClock = false;
    search::inputInterrupts = nullptr;
    search::timeLeft = 0;
    board::seedRandom(SEED);
    frontend::newGame();
    frontend::maxDepth = FUZZ_DEPTH;
    // An input's "threads N" must not carry over into the next input's searches.
    search::setThreadCount(search::MIN_THREADS);
}

// The start position and an empty game, for targets that never search:
// newGame would also clear the whole transposition table on every input.
inline void resetPosition() {
    frontend::xboardMode = false;
    frontend::uciMode = false;
    frontend::enginePlays = false;
    search::inputInterrupts = nullptr;
    board::seedRandom(SEED);
    board::setupInitialPosition();
    board::gamePly = 0;
    board::halfMoveClock = 0;
    book::clearGameText();
    book::bookActive = false;
}

// A scratch file holding the input, one path per process, under TMPDIR when set.
inline const char* writeTempFile(const char* prefix, const unsigned char* data, std::size_t size) {
    static char path[4096];
    const char* directory = std::getenv("TMPDIR");
    if (directory == nullptr || *directory == '\0') directory = "/tmp";
    std::snprintf(path, sizeof path, "%s/%s-%d", directory, prefix, static_cast<int>(getpid()));
    std::FILE* file = std::fopen(path, "wb");
    if (file == nullptr) std::abort();
    if (size > 0 && std::fwrite(data, 1, size, file) != size) std::abort();
    std::fclose(file);
    return path;
}

// Two records that make the same change to the board (squares, pieces and flags).
inline bool sameRecord(const Move& one, const Move& other) {
    return sameMove(one, other) && one.piece == other.piece && one.captured == other.captured &&
           one.enPassant == other.enPassant && one.castling == other.castling &&
           one.castlingLoss == other.castlingLoss;
}

// Everything a rejected line must leave as it was.
struct Snapshot {
    PieceCode board[BOARD_SIZE][BOARD_SIZE];
    Color side;
    int whiteCastling;
    int blackCastling;
    int whiteEpFile;
    int blackEpFile;
    int nonPawnPieces;
    int halfMoveClock;
    int gamePly;
    HashKey key;
    bool operator==(const Snapshot&) const = default;
};

inline Snapshot takeSnapshot() {
    Snapshot snapshot{};
    std::memcpy(snapshot.board, board::Board, sizeof snapshot.board);
    snapshot.side = board::sideToMove;
    snapshot.whiteCastling = board::whiteCastling;
    snapshot.blackCastling = board::blackCastling;
    snapshot.whiteEpFile = board::whiteEpFile;
    snapshot.blackEpFile = board::blackEpFile;
    snapshot.nonPawnPieces = board::nonPawnPieceCount;
    snapshot.halfMoveClock = board::halfMoveClock;
    snapshot.gamePly = board::gamePly;
    snapshot.key = board::currentKey;
    return snapshot;
}

// Runs each line of the input (as readLine cuts it) through the handler until
// it says stop or MAX_SESSION_LINES have run.
template <typename Handler>
void forEachLine(const unsigned char* data, std::size_t size, Handler handle) {
    std::FILE* stream = fmemopen(const_cast<unsigned char*>(data), size, "r");
    if (stream == nullptr) return;  // fmemopen refuses an empty buffer
    char line[frontend::LINE_BUFFER_SIZE];
    for (int lines = 0; lines < MAX_SESSION_LINES; ++lines) {
        if (frontend::readLine(line, frontend::LINE_BUFFER_SIZE, stream) == frontend::LineEnd::STREAM_END) break;
        if (!handle(line)) break;
    }
    std::fclose(stream);
}

}  // namespace fuzz
