// Front end: console transcripts over pipes, line reading and polling, move text, position loading.
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <random>
#include <algorithm>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "board/keys.h"
#include "board/perft.h"
#include "board/position.h"
#include "book/book.h"
#include "eval/evaluate.h"
#include "frontend/console.h"
#include "frontend/fen.h"
#include "frontend/input.h"
#include "frontend/loader.h"
#include "frontend/movetext.h"
#include "frontend/pgn.h"
#include "frontend/san.h"
#include "search/pv.h"
#include "engine_process.h"
#include "test_support.h"

using namespace testing_support;
using frontend::LineEnd;

namespace {

const std::vector<std::string> START_PICTURE = {
    " r n b q k b n r", " p p p p p p p p", " . . . . . . . .", " . . . . . . . .", " . . . . . . . .",
    " . . . . . . . .", " P P P P P P P P", " R N B Q K B N R", ""};
const std::regex HASH_LINE(R"(Hashvalue: (-?\d+) \(CurrentHash:(-?\d+)\))");

// Feeds a whole session, closes standard input and collects everything printed until the program ends.
std::vector<std::string> session(const std::string& directory, const std::vector<std::string>& input) {
    EngineProcess engine(directory);
    for (const std::string& line : input) EXPECT_TRUE(engine.writeLine(line)) << line;
    engine.closeInput();
    std::vector<std::string> output;
    while (std::optional<std::string> line = engine.readLine(std::chrono::seconds(60))) output.push_back(*line);
    const std::optional<int> status = engine.waitExit(std::chrono::seconds(10));
    EXPECT_TRUE(status && WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << "the program did not end cleanly";
    return output;
}

// Compares the first expected.size() lines; an expected line that starts with "~" is a pattern.
void expectTranscript(const std::vector<std::string>& output, const std::vector<std::string>& expected) {
    for (std::size_t index = 0; index < expected.size() && index < output.size(); ++index) {
        if (expected[index].rfind('~', 0) == 0)
            EXPECT_TRUE(std::regex_match(output[index], std::regex(expected[index].substr(1)))) << output[index];
        else
            EXPECT_EQ(output[index], expected[index]) << "line " << index;
    }
}

constexpr const char* PIECE_LETTERS = "pkqbnr.RNBQKP";

// Everything a rejected line must leave as it was, as text so that a difference reads plainly.
std::string snapshot() {
    std::ostringstream text;
    for (int row = LAST_ROW; row >= FIRST_ROW; --row) {
        for (int col = FIRST_COL; col <= LAST_COL; ++col) {
            const PieceCode code = board::Board[row][col];
            text << (code >= 0 && code < PIECE_CODE_COUNT ? PIECE_LETTERS[code] : '?');
        }
        text << '/';
    }
    text << " side " << int{board::sideToMove} << " castling " << board::whiteCastling << ' ' << board::blackCastling
         << " ep " << board::whiteEpFile << ' ' << board::blackEpFile << " pieces " << board::nonPawnPieceCount
         << " clock " << board::halfMoveClock << " book '" << book::gameMoveText << "' keys";
    for (int ply = 0; ply <= board::gamePly; ++ply) text << ' ' << board::GameHistory[ply];
    text << " current " << board::currentKey;
    return text.str();
}

std::string printed(const std::function<void()>& action) {
    testing::internal::CaptureStdout();
    action();
    return testing::internal::GetCapturedStdout();
}

// Moves typed as the interface would before "go": played, never answered by a search.
// Start-up clears the mode, so it is set after every fresh engine and cleared when the test ends.
void quietEngine() {
    freshEngine();
    frontend::xboardMode = true;
    frontend::enginePlays = false;
}
struct NoAnswer {
    ~NoAnswer() { frontend::xboardMode = false; }
};

PieceCode at(const char* square) { return board::Board[square[1] - '1'][square[0] - 'a']; }

PieceCode codeOf(char letter) { return static_cast<PieceCode>(std::strchr(PIECE_LETTERS, letter) - PIECE_LETTERS); }

struct Pipe {
    int readEnd = -1;
    int writeEnd = -1;
    Pipe() {
        int ends[2];
        if (::pipe(ends) != 0) throw std::runtime_error("pipe failed");
        readEnd = ends[0];
        writeEnd = ends[1];
    }
    ~Pipe() {
        closeWriter();
        ::close(readEnd);
    }
    void write(const std::string& text) const {
        ASSERT_EQ(::write(writeEnd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    }
    void closeWriter() {
        if (writeEnd >= 0) ::close(writeEnd);
        writeEnd = -1;
    }
};

// A game under way: moves in the history, an en-passant file, a running clock.
void playSomeMoves() {
    setPosition("4k3/8/8/8/8/8/4P3/R3K3 w Q");
    for (const char* text : {"a1a3", "e8d8", "e2e4"}) frontend::playUserMove(text);
    board::halfMoveClock = 9;
    ASSERT_EQ(board::gamePly, 3);
    ASSERT_NE(board::whiteEpFile, NO_EP_FILE);
}

std::string writeFile(const TemporaryDirectory& directory, const std::string& name, const std::string& text) {
    const std::string path = directory.path() + "/" + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

}  // namespace

TEST(ConsoleTranscript, CommandsAndRefusals) {
    TemporaryDirectory directory;
    const std::string longWord(300, 'x');
    const std::vector<std::string> output = session(
        directory.path(), {"board", "eval\r", "perft 3", "hello", "e3e4", "perft", "perft 31", "perft x", "Board",
                           longWord, "   board   ignored words", "quit", "eval"});
    std::vector<std::string> expected = START_PICTURE;
    expected.insert(expected.end(), {"Value: 0", "9322 mosse in MS millisecondi", "Error (unknown command): hello",
                                     "Illegal move: e3e4", "Error (perft needs a depth): perft",
                                     "Error (perft depth must be 0 to 30): perft 31", "0 mosse in MS millisecondi",
                                     "Error (unknown command): Board",
                                     "Error (unknown command): " + std::string(frontend::LINE_BUFFER_SIZE - 1, 'x')});
    expected.insert(expected.end(), START_PICTURE.begin(), START_PICTURE.end());
    expected.push_back("Morvelline e' stato interrotto");
    ASSERT_EQ(output.size(), expected.size());
    // The first line is the first command's answer: no banner, no prompt. Times vary, nothing else does.
    const std::regex milliseconds(R"( mosse in \d+ millisecondi)");
    for (std::size_t index = 0; index < expected.size(); ++index)
        EXPECT_EQ(std::regex_replace(output[index], milliseconds, " mosse in MS millisecondi"), expected[index])
            << "line " << index;
}

TEST(ConsoleTranscript, EndsAtQuitAndAtEndOfInput) {
    TemporaryDirectory directory;
    {
        EngineProcess engine(directory.path());
        ASSERT_TRUE(engine.writeLine("quit"));
        EXPECT_EQ(engine.readLine(std::chrono::seconds(30)), "Morvelline e' stato interrotto");
        // Input is still open: the program must end by itself.
        const std::optional<int> status = engine.waitExit(std::chrono::seconds(10));
        EXPECT_TRUE(status && WIFEXITED(*status));
    }
    EXPECT_TRUE(session(directory.path(), {}).empty());
    EXPECT_EQ(session(directory.path(), {"eval"}), std::vector<std::string>{"Value: 0"});
}

TEST(ConsoleTranscript, HashKeysAgreeAfterPerftAndLoads) {
    TemporaryDirectory directory;
    writeFile(directory, "castles.fen", "r3k2r/8/8/8/8/8/8/R3K2R b Kq\n");
    const std::vector<std::string> output =
        session(directory.path(), {"hash", "perft 3", "hash", "load castles.fen", "hash", "load init", "hash",
                                   "load missing.fen", "hash", "load /dev/zero"});
    ASSERT_EQ(output.size(), 8u);
    EXPECT_EQ(output[5], "Il file non esiste");
    // An endless file without a line feed is read only as far as a position could reach.
    EXPECT_EQ(output[7].rfind("Position not loaded: ", 0), 0u) << output[7];
    std::vector<std::string> keys;
    for (std::size_t index : {0u, 2u, 3u, 4u, 6u}) {
        std::smatch match;
        ASSERT_TRUE(std::regex_match(output[index], match, HASH_LINE)) << output[index];
        EXPECT_EQ(match[1], match[2]) << output[index];
        keys.push_back(match[1].str());
    }
    EXPECT_EQ(keys[0], keys[1]);  // perft leaves the position as it found it
    EXPECT_NE(keys[2], keys[0]);
    EXPECT_EQ(keys[3], keys[0]);  // a new game: same keys within one run
    EXPECT_EQ(keys[4], keys[0]);  // a missing file changes nothing
}

TEST(ConsoleTranscript, BookAnswersATypedMove) {
    const std::vector<std::string> output = session(MORVELLINE_SOURCE_DIR, {"e2e4", "quit"});
    ASSERT_EQ(output.size(), 2u);
    ASSERT_TRUE(std::regex_match(output[0], std::regex("move [a-h][1-8][a-h][1-8]  "))) << "'" << output[0] << "'";
    RulesGame game;
    game.play("e2e4");
    EXPECT_TRUE(game.isLegal(output[0].substr(5, 4))) << output[0];
}

TEST(ReadLine, CutsLongLinesAndKeepsOnlyLoneCarriageReturns) {
    struct Case {
        std::string input;
        int size;
        std::vector<std::pair<std::string, LineEnd>> lines;
    };
    const Case cases[] = {
        {std::string(300, 'x') + "\nnext\n", frontend::LINE_BUFFER_SIZE,
         {{std::string(255, 'x'), LineEnd::LINE_FEED}, {"next", LineEnd::LINE_FEED}}},
        {std::string(5000, 'y') + "\nok\n", frontend::LINE_BUFFER_SIZE,
         {{std::string(255, 'y'), LineEnd::LINE_FEED}, {"ok", LineEnd::LINE_FEED}}},
        {"e2e4\r\nquit\r\n", frontend::LINE_BUFFER_SIZE, {{"e2e4", LineEnd::LINE_FEED}, {"quit", LineEnd::LINE_FEED}}},
        {"a\rb\n\r\r\n", frontend::LINE_BUFFER_SIZE, {{"a\rb", LineEnd::LINE_FEED}, {"\r", LineEnd::LINE_FEED}}},
        {"\n\ntail", frontend::LINE_BUFFER_SIZE,
         {{"", LineEnd::LINE_FEED}, {"", LineEnd::LINE_FEED}, {"tail", LineEnd::STREAM_END_AFTER_TEXT}}},
        {"x\r", frontend::LINE_BUFFER_SIZE, {{"x\r", LineEnd::STREAM_END_AFTER_TEXT}}},
        {"abcdef\nxy", 4, {{"abc", LineEnd::LINE_FEED}, {"xy", LineEnd::STREAM_END_AFTER_TEXT}}},
    };
    for (const Case& test : cases) {
        // The same lines from our descriptor reader and from a C stream (the book and position files).
        Pipe pipe;
        pipe.write(test.input);
        pipe.closeWriter();
        frontend::LineReader reader{};
        frontend::attachReader(reader, pipe.readEnd);
        std::FILE* file = std::tmpfile();
        ASSERT_NE(file, nullptr);
        std::fwrite(test.input.data(), 1, test.input.size(), file);
        std::rewind(file);
        std::vector<std::pair<std::string, LineEnd>> expected = test.lines;
        expected.insert(expected.end(), 2, {"", LineEnd::STREAM_END});
        for (const auto& [text, end] : expected) {
            std::vector<char> buffer(static_cast<std::size_t>(test.size), '#');
            EXPECT_EQ(frontend::readLine(buffer.data(), test.size, reader), end);
            EXPECT_EQ(std::string(buffer.data()), text);
            std::fill(buffer.begin(), buffer.end(), '#');
            EXPECT_EQ(frontend::readLine(buffer.data(), test.size, file), end);
            EXPECT_EQ(std::string(buffer.data()), text);
        }
        std::fclose(file);
    }
}

TEST(InputPolling, CountsWhatWaitsWithoutReadingIt) {
    Pipe pipe;
    frontend::LineReader reader{};
    frontend::attachReader(reader, pipe.readEnd);
    char line[frontend::LINE_BUFFER_SIZE];
    EXPECT_EQ(frontend::inputAvailable(reader), 0u);
    EXPECT_FALSE(frontend::lineWaiting(reader));
    pipe.write("new\n");
    EXPECT_EQ(frontend::inputAvailable(reader), 4u);
    EXPECT_EQ(frontend::inputAvailable(reader), 4u);  // polling took nothing
    frontend::readLine(line, sizeof line, reader);
    EXPECT_STREQ(line, "new");
    EXPECT_EQ(frontend::inputAvailable(reader), 0u);

    pipe.write("go");
    EXPECT_NE(frontend::inputAvailable(reader), 0u);
    EXPECT_FALSE(frontend::lineWaiting(reader));  // half a line is not a command yet
    pipe.write("\nstop\n");
    EXPECT_TRUE(frontend::lineWaiting(reader));
    frontend::readLine(line, sizeof line, reader);
    EXPECT_STREQ(line, "go");
    // "stop" now sits in the reader's buffer, not in the pipe; it must still count.
    int inPipe = -1;
    ASSERT_EQ(::ioctl(pipe.readEnd, FIONREAD, &inPipe), 0);
    EXPECT_EQ(inPipe, 0);
    EXPECT_EQ(frontend::inputAvailable(reader), 5u);
    EXPECT_TRUE(frontend::lineWaiting(reader));
    frontend::readLine(line, sizeof line, reader);
    EXPECT_STREQ(line, "stop");
    EXPECT_EQ(frontend::inputAvailable(reader), 0u);

    pipe.closeWriter();  // a vanished interface must stop a search
    EXPECT_NE(frontend::inputAvailable(reader), 0u);
    EXPECT_TRUE(frontend::lineWaiting(reader));
    EXPECT_EQ(frontend::readLine(line, sizeof line, reader), LineEnd::STREAM_END);
    EXPECT_NE(frontend::inputAvailable(reader), 0u);
}

// The search's polls: what the reader holds answers on the first call; the descriptor is
// asked only when the clock, read every CALLS_PER_CLOCK_READ calls, says the interval has
// passed; nothing is taken, so each line is read once, by readLine.
TEST(InputPolling, SearchPollsArePacedAndTakeNothing) {
    using frontend::CALLS_PER_CLOCK_READ;
    Pipe pipe;
    frontend::LineReader reader{};
    frontend::attachReader(reader, pipe.readEnd);
    char line[frontend::LINE_BUFFER_SIZE];
    // The call at which a question first says yes; 0 when it never does within a few clock reads.
    const auto callsUntilYes = [&](bool (*question)(frontend::LineReader&)) {
        for (unsigned call = 1; call <= 4 * CALLS_PER_CLOCK_READ; ++call)
            if (question(reader)) return call;
        return 0u;
    };
    const auto pause = [] { ::usleep(2 * frontend::POLL_INTERVAL_MICROSECONDS); };

    pipe.write("stop\n");
    EXPECT_EQ(callsUntilYes(frontend::lineWaitingPaced), CALLS_PER_CLOCK_READ) << "never asked: the first clock read asks";
    EXPECT_EQ(callsUntilYes(frontend::lineWaitingPaced), 1u) << "the line is held now";
    EXPECT_EQ(callsUntilYes(frontend::inputWaitingPaced), 1u);
    ASSERT_EQ(frontend::readLine(line, sizeof line, reader), LineEnd::LINE_FEED);
    EXPECT_STREQ(line, "stop");

    // Waiting in the pipe, but the clock is not read again before CALLS_PER_CLOCK_READ calls.
    pipe.write("isready\n");
    for (unsigned call = 1; call < CALLS_PER_CLOCK_READ; ++call) ASSERT_FALSE(frontend::lineWaitingPaced(reader)) << call;
    pause();
    EXPECT_EQ(callsUntilYes(frontend::lineWaitingPaced), 1u) << "the next clock read finds the interval passed";
    ASSERT_EQ(frontend::readLine(line, sizeof line, reader), LineEnd::LINE_FEED);
    EXPECT_STREQ(line, "isready");

    // Half a line stops an xboard search (any input) but is no UCI command yet.
    pipe.write("go");
    pause();
    EXPECT_EQ(callsUntilYes(frontend::inputWaitingPaced), CALLS_PER_CLOCK_READ);
    EXPECT_FALSE(frontend::lineWaiting(reader));  // now held in the reader
    EXPECT_EQ(callsUntilYes(frontend::inputWaitingPaced), 1u);
    pause();
    EXPECT_EQ(callsUntilYes(frontend::lineWaitingPaced), 0u);
    pipe.closeWriter();  // a vanished interface stops the search as a line would
    pause();
    EXPECT_NE(callsUntilYes(frontend::lineWaitingPaced), 0u);
    EXPECT_EQ(frontend::readLine(line, sizeof line, reader), LineEnd::STREAM_END_AFTER_TEXT);
    EXPECT_STREQ(line, "go");
}

TEST(MoveText, ReplyIsSixCharactersWithPromotionLetter) {
    const struct {
        const char* squares;
        PieceCode promotion;
        const char* reply;
    } cases[] = {
        {"e2e4", EMPTY, "e2e4  "},         {"e7e8", WHITE_QUEEN, "e7e8q "}, {"e2e1", BLACK_QUEEN, "e2e1q "},
        {"a7a8", WHITE_ROOK, "a7a8r "},    {"h2h1", BLACK_BISHOP, "h2h1b "}, {"b7a8", WHITE_KNIGHT, "b7a8n "},
        {"a2a1", BLACK_PAWN, "a2a1  "},    {"e1g1", WHITE_KING, "e1g1  "},
    };
    for (const auto& test : cases) {
        Move move{};
        move.fromCol = static_cast<std::int16_t>(test.squares[0] - 'a');
        move.fromRow = static_cast<std::int16_t>(test.squares[1] - '1');
        move.toCol = static_cast<std::int16_t>(test.squares[2] - 'a');
        move.toRow = static_cast<std::int16_t>(test.squares[3] - '1');
        move.promotion = test.promotion;
        char reply[frontend::REPLY_BUFFER_SIZE];
        std::memset(reply, '#', sizeof reply);
        frontend::moveReplyText(move, reply);
        EXPECT_EQ(std::string(reply), test.reply);
    }
}

TEST(MoveText, TypedMovesArePlayedAsWritten) {
    const struct {
        const char* fen;
        const char* text;
        const char* squares;  // square=piece after the move, "." for empty
        int whiteCastling, blackCastling, halfMoves;  // castling shifts the word up: 3 becomes 12
    } cases[] = {
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq", "e2e4", "e4=P e2=.", 3, 3, 0},
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq", "g1f3", "f3=N g1=.", 3, 3, 1},
        {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq", "e1g1", "g1=K f1=R h1=. e1=.", 12, 3, 1},
        {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq", "e1c1", "c1=K d1=R a1=. e1=.", 12, 3, 1},
        {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq", "e8g8", "g8=k f8=r h8=. e8=.", 3, 12, 1},
        {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq", "e8d8", "d8=k e8=. a8=r", 3, 0, 1},
        {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq", "h8h5", "h5=r h8=.", 3, 2, 1},
        {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq", "a1a8", "a8=R a1=.", 1, 3, 0},
        {"4k3/8/8/8/8/8/8/4R2K w -", "e1g1", "g1=R e1=. h1=K f1=.", 0, 0, 1},  // a rook on e1 does not castle
        {"4k3/P7/8/8/8/8/8/4K3 w -", "a7a8q", "a8=Q a7=.", 0, 0, 0},
        {"4k3/P7/8/8/8/8/8/4K3 w -", "a7a8n", "a8=N", 0, 0, 0},
        {"4k3/P7/8/8/8/8/8/4K3 w -", "a7a8", "a8=P", 0, 0, 0},
        {"4k3/P7/8/8/8/8/8/4K3 w -", "a7a8Q", "a8=P", 0, 0, 0},
        {"4k3/8/8/8/8/8/p7/4K3 b -", "a2a1r", "a1=r a2=.", 0, 0, 0},
        {"4k3/8/8/8/8/8/p7/4K3 b -", "a2a1b", "a1=b", 0, 0, 0},
        {"4k3/8/8/3pP3/8/8/8/4K3 w - d6", "e5d6", "d6=P d5=. e5=.", 0, 0, 0},
        {"4k3/8/8/8/3Pp3/8/8/4K3 b - d3", "e4d3", "d3=p d4=. e4=.", 0, 0, 0},
        {"4k3/8/8/3p4/4P3/8/8/4K3 w -", "e4d5xyz", "d5=P e4=.", 0, 0, 0},
    };
    const NoAnswer quiet;
    for (const auto& test : cases) {
        quietEngine();
        setPosition(test.fen);
        board::halfMoveClock = 7;
        const Color mover = board::sideToMove;
        EXPECT_EQ(printed([&] { frontend::playUserMove(test.text); }), "") << test.text;
        for (const char* cursor = test.squares;; cursor += 5) {
            EXPECT_EQ(at(cursor), codeOf(cursor[3])) << test.fen << " " << test.text << " " << cursor;
            if (cursor[4] == '\0') break;
        }
        EXPECT_EQ(board::whiteCastling, test.whiteCastling) << test.text;
        EXPECT_EQ(board::blackCastling, test.blackCastling) << test.text;
        EXPECT_EQ(board::halfMoveClock, test.halfMoves ? 8 : 0) << test.text;
        EXPECT_NE(board::sideToMove, mover);
        EXPECT_EQ(board::gamePly, 1);
        EXPECT_EQ(board::currentKey, board::computeKey()) << test.text;
        EXPECT_TRUE(board::positionIsConsistent()) << test.text;
    }
    // While the book is on, the move's digits are written before it is made.
    quietEngine();
    frontend::playUserMove("e2e4");
    EXPECT_STREQ(book::gameMoveText, "1434");
}

TEST(MoveText, EveryLegalMoveTypedMatchesTheGenerator) {
    const char* const positions[] = {
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
        "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq -",
        "n1n5/PPPk4/8/8/8/8/4Kppp/5N1N b - -",
        "8/8/8/2k5/2pP4/8/B7/4K3 b - d3",
        "r3k2r/8/8/8/8/8/8/R3K2R b KQkq -",
    };
    const NoAnswer quiet;
    for (const char* fen : positions) {
        quietEngine();
        setPosition(fen);
        for (const std::string& text : legalMoveTexts()) {
            setPosition(fen);
            playMove(text);
            const std::string generated = snapshot();
            setPosition(fen);
            frontend::playUserMove(text.c_str());
            EXPECT_EQ(snapshot(), generated) << fen << " " << text;
        }
    }
}

// Well-formed text that is no legal move of the side to move changes nothing at all.
TEST(MoveText, OnlyLegalMovesArePlayed) {
    const struct {
        const char* fen;
        const char* text;
    } cases[] = {
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq", "e7e5"},  // the other side's pawn
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq", "e2e5"},  // three squares
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq", "g1g3"},  // not a knight's move
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq", "d1d3"},  // through its own pawn
        {"4k3/8/8/4K3/8/8/8/8 w -", "e5g5"},                              // castling-shaped, no rook
        {"r3k2r/8/8/8/8/8/8/R3K2R w kq", "e1g1"},                         // no right left
        {"r3k2r/8/8/8/8/8/5r2/R3K2R w KQ", "e1g1"},                       // through an attacked square
        {"4k3/8/8/8/8/8/8/r3K3 w -", "e1d1"},                             // into check
        {"4k3/4r3/8/8/8/8/4N3/4K3 w -", "e2c3"},                          // a pinned knight
        {"4k3/P7/8/8/8/8/8/4K3 w -", "a7b8q"},                            // a promotion that captures nothing
        {"4k3/8/8/3pP3/8/8/8/4K3 w -", "e5d6"},                           // en passant with no pawn just advanced
        {"4k3/8/8/8/8/8/8/4K3 b -", "e1e2"},                              // White's king on Black's move
    };
    const NoAnswer quiet;
    for (const auto& test : cases) {
        quietEngine();
        setPosition(test.fen);
        const std::string before = snapshot();
        EXPECT_EQ(printed([&] { frontend::playUserMove(test.text); }), std::string("Illegal move: ") + test.text + "\n")
            << test.fen;
        EXPECT_EQ(snapshot(), before) << test.fen << " " << test.text;
    }
}

TEST(MoveText, MalformedTextLeavesThePositionUntouched) {
    // Move-shaped text off the board or from an empty square, then text that names no move.
    const char* const unplayable[] = {"e9e4", "i2i4", "e0e1", "E7E5", "e3e5", "d4d5q"};
    const char* const notMoves[] = {"e2", "e7e", "e7-e5", "7e5e", ""};
    const NoAnswer quiet;
    quietEngine();
    frontend::playUserMove("e2e4");  // an en-passant file, a book text and a ply to keep
    const std::string before = snapshot();
    const auto refused = [&](const char* text, const std::string& reply) {
        EXPECT_EQ(printed([&] { frontend::playUserMove(text); }), reply + text + "\n");
        EXPECT_EQ(snapshot(), before) << text;
    };
    for (const char* text : unplayable) refused(text, "Illegal move: ");
    for (const char* text : notMoves) refused(text, "Error (unknown command): ");
}

// Every form people type names the move its coordinates name: the position after it is the
// generator's. The long forms and the signs after a move say nothing more.
TEST(San, EachFormNamesItsMove) {
    const struct {
        const char* fen;
        std::vector<const char*> texts;
        const char* coordinates;
    } cases[] = {
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq", {"Nf3", "Ng1f3", "Ng1-f3", "Nf3!", "Nf3+?"}, "g1f3"},
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq", {"e4", "e2e4!!", "e2-e4"}, "e2e4"},
        {"rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq", {"Nc6", "Nb8c6"}, "b8c6"},
        {"4k3/8/8/3p4/4P3/8/8/4K3 w -", {"exd5", "exd5+", "e4xd5", "ed5", "e:d5"}, "e4d5"},
        {"4k3/8/8/3pP3/8/8/8/4K3 w - d6", {"exd6", "exd6!"}, "e5d6"},
        {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq", {"O-O", "0-0", "O-O+", "Kg1"}, "e1g1"},
        {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq", {"O-O-O", "0-0-0", "O-O-O#"}, "e1c1"},
        {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq", {"O-O-O", "0-0-0"}, "e8c8"},
        {"4k3/P7/8/8/8/8/8/4K3 w -", {"a8=Q", "a8Q", "a8=Q+", "a8q", "a7a8=Q"}, "a7a8q"},
        {"4k3/P7/8/8/8/8/8/4K3 w -", {"a8=N", "a8N"}, "a7a8n"},
        {"1r2k3/P7/8/8/8/8/8/4K3 w -", {"axb8=R", "axb8R+", "axb8=R+"}, "a7b8r"},
        {"4k3/8/8/8/8/8/p7/4K3 b -", {"a1=B", "a1B"}, "a2a1b"},
        {"4k3/8/8/8/8/5N2/8/1N2K3 w -", {"Nbd2", "Nb1d2"}, "b1d2"},
        {"k7/8/8/8/8/4R3/8/K3R3 w -", {"R1e2", "Re1e2"}, "e1e2"},
        {"1k6/8/8/8/4Q2Q/8/8/K3r2Q w -", {"Qh4xe1", "Qh4e1"}, "h4e1"},
        {"1k6/8/8/8/4Q2Q/8/8/K3r2Q w -", {"Qexe1", "Qee1"}, "e4e1"},
        {"1k6/8/8/8/4Q2Q/8/8/K3r2Q w -", {"Q1xe1"}, "h1e1"},
    };
    const NoAnswer quiet;
    for (const auto& test : cases) {
        quietEngine();
        setPosition(test.fen);
        playMove(test.coordinates);
        const std::string expected = snapshot();
        for (const char* text : test.texts) {
            setPosition(test.fen);
            EXPECT_TRUE(frontend::looksLikeSan(text)) << text;
            EXPECT_EQ(printed([&] { EXPECT_TRUE(frontend::playSanMove(text)) << test.fen << " " << text; }), "");
            EXPECT_EQ(snapshot(), expected) << test.fen << " " << text;
        }
    }
}

// What names no move, several, or nothing at all is refused with its reason, the position untouched.
TEST(San, RefusalsSayWhyAndChangeNothing) {
    const struct {
        const char* fen;
        const char* text;
        const char* reason;
    } cases[] = {
        {"rnbqkb1r/ppp1pppp/5n2/3p4/3P4/5N2/PPP1PPPP/RNBQKB1R w KQkq", "Nd2", "ambiguous: Nbd2, Nfd2"},
        {"1k6/8/8/8/4Q2Q/8/8/K3r2Q w -", "Qxe1", "ambiguous: Q1xe1, Qexe1, Qh4xe1"},
        {"k7/8/8/8/8/4R3/8/K3R3 w -", "Re2", "ambiguous: R1e2, R3e2"},
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq", "Nf5", "no knight can move to f5"},
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq", "Nxf3", "no knight can capture on f3"},
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq", "Ncd2", "no knight on the c-file can move to d2"},
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq", "e5", "no pawn can move to e5"},
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq", "exd5", "no pawn on the e-file can capture on d5"},
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq", "Ng1ff3", "it is not a move in algebraic notation"},
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq", "O-O", "castling to that side is not legal now"},
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq", "Nz9", "z9 is not a square"},
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq", "e9", "e9 is not a square"},
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq", "exd", "it names no square to go to"},
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq", "O-O-O-O", "castling is written O-O or O-O-O"},
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq", "Nf3=Q", "only a pawn promotes"},
        {"4k3/P7/8/8/8/8/8/4K3 w -", "a8", "say what the pawn becomes, as in a8=Q"},
        {"4k3/P7/8/8/8/8/8/4K3 w -", "a8=K", "a pawn promotes to Q, R, B or N"},
        {"4k3/8/P7/8/8/8/8/4K3 w -", "a7=Q", "a pawn promotes only on the last rank"},
        {"4k3/4r3/8/8/8/8/4N3/4K3 w -", "Nc3", "it would leave the king in check"},
        {"r3k2r/8/8/8/8/8/5r2/R3K2R w KQ", "O-O", "castling to that side is not legal now"},
    };
    const NoAnswer quiet;
    for (const auto& test : cases) {
        quietEngine();
        setPosition(test.fen);
        char fenBefore[frontend::FEN_TEXT_SIZE];
        frontend::writeFen(fenBefore);
        const std::string before = snapshot();
        ASSERT_TRUE(frontend::looksLikeSan(test.text)) << test.text;
        EXPECT_EQ(printed([&] { EXPECT_FALSE(frontend::playSanMove(test.text)); }),
                  std::string("Illegal move: ") + test.text + " (" + test.reason + ")\n");
        char fenAfter[frontend::FEN_TEXT_SIZE];
        frontend::writeFen(fenAfter);
        EXPECT_STREQ(fenAfter, fenBefore) << test.text;
        EXPECT_EQ(snapshot(), before) << test.text;
    }
    // Words that are neither commands nor moves stay unknown commands at the console.
    for (const char* word : {"hello", "Board", "Quit", "exit", "N", "O", "Kx", "x4", ""})
        EXPECT_FALSE(frontend::looksLikeSan(word)) << word;
}

// The SAN the engine writes reads back as the same move, for every legal move of positions
// full of captures, castling, promotions and pieces that must be told apart; no two alike.
TEST(San, WrittenMovesReadBackAsThemselves) {
    const char* const positions[] = {
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
        "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq -",
        "n1n5/PPPk4/8/8/8/8/4Kppp/5N1N b - -",
        "8/8/8/2k5/2pP4/8/B7/4K3 b - d3",
        "1k6/8/8/8/4Q2Q/8/8/K6Q w -",
        "7k/8/8/3N1N2/2N3N1/8/2N3N1/K2N1N2 w -",
    };
    const NoAnswer quiet;
    for (const char* fen : positions) {
        quietEngine();
        setPosition(fen);
        frontend::LegalMoves legal;
        frontend::collectLegalMoves(legal);
        ASSERT_GT(legal.count, 0) << fen;
        std::vector<std::string> written;
        for (int index = 0; index < legal.count; ++index) {
            char san[frontend::SAN_TEXT_SIZE];
            frontend::writeSan(legal.move[index], true, san);
            written.push_back(san);
            Move read{};
            char reason[frontend::SAN_REASON_SIZE] = "";
            ASSERT_TRUE(frontend::looksLikeSan(san)) << san;
            EXPECT_EQ(frontend::readSan(san, read, reason), frontend::SanReading::MOVE) << fen << " " << san << " " << reason;
            EXPECT_TRUE(sameMove(read, legal.move[index])) << fen << " " << san;
        }
        std::vector<std::string> sorted = written;
        std::sort(sorted.begin(), sorted.end());
        EXPECT_EQ(std::adjacent_find(sorted.begin(), sorted.end()), sorted.end()) << fen;
    }
}

TEST(Loader, FileSetsTheGameStartAndBadLinesChangeNothing) {
    TemporaryDirectory directory;
    const NoAnswer quiet;
    quietEngine();
    const std::string start = snapshot();
    const auto load = [&](const std::string& line) {
        const std::string path = writeFile(directory, "position.fen", line);
        return printed([&] { frontend::loadPosition(path.c_str()); });
    };

    // The start position from a file is a new game's position, with the book off.
    playSomeMoves();
    EXPECT_EQ(load("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1\n"), "");
    EXPECT_EQ(snapshot(), start);
    EXPECT_EQ(board::nonPawnPieceCount, 14);
    EXPECT_FALSE(book::bookActive);

    const struct {
        const char* line;
        Color side;
        int whiteCastling, blackCastling, nonPawnPieces;
    } good[] = {
        {"r3k2r/8/8/8/8/8/8/R3K2R b Kq\n", BLACK, 1, 2, 4},
        {"r3k2r/8/8/8/8/8/8/R3K2R w\r\n", WHITE, 0, 0, 4},  // no castling field: no rights
        {"r3k2r/8/8/8/8/8/8/R3K2R  white  -", WHITE, 0, 0, 4},
        {"r3k2r/8/8/8/8/8/8/R3K2R w Xk?Q", WHITE, 2, 1, 4},
        {"r3k2rx/8/8/8/8/8/8/R3K2R9 b -", BLACK, 0, 0, 4},  // other characters are skipped
        {"8/8/8/8/8/8/8/8 w -", WHITE, 0, 0, 0},            // no king at all
        {"Pp5k/8/8/8/8/8/8/K5pP w -", WHITE, 0, 0, 0},      // pawns on the back ranks
        {"k6k/8/8/3q4/8/8/8/K6K b -", BLACK, 0, 0, 1},      // two kings each
    };
    for (const auto& test : good) {
        playSomeMoves();  // the load must still start the game afresh
        EXPECT_EQ(load(test.line), "") << test.line;
        EXPECT_EQ(board::sideToMove, test.side) << test.line;
        EXPECT_EQ(board::whiteCastling, test.whiteCastling) << test.line;
        EXPECT_EQ(board::blackCastling, test.blackCastling) << test.line;
        EXPECT_EQ(board::nonPawnPieceCount, test.nonPawnPieces) << test.line;
        EXPECT_EQ(board::whiteEpFile, NO_EP_FILE);
        EXPECT_EQ(board::blackEpFile, NO_EP_FILE);
        EXPECT_EQ(board::gamePly, 0);
        EXPECT_EQ(board::halfMoveClock, 0);
        EXPECT_EQ(board::currentKey, board::computeKey()) << test.line;
        EXPECT_EQ(board::GameHistory[0], board::currentKey);
        // Whatever loads must also survive the commands that read it.
        eval::evaluate();
        search::nodeCount = 0;
        board::perft(2);
        EXPECT_EQ(board::currentKey, board::computeKey()) << test.line;
    }
    EXPECT_EQ(at("a8"), BLACK_KING);
    EXPECT_EQ(at("d5"), BLACK_QUEEN);

    playSomeMoves();
    const std::string before = snapshot();
    const char* const bad[] = {
        "8/8/8/8/8/8/8 w -",       "8/8/8/8/8/8/8/8/8 w -",   "7/8/8/8/8/8/8/8 w -", "ppppppppp/8/8/8/8/8/8/8 w",
        "44/8/8/8/8/8/8/8/ w",     "9/8/8/8/8/8/8/8 w",       "8/8/8/8/8/8/8/8",     "4k3/8/8/8/8/8/8/4K3\n b",
        "",
    };
    for (const char* line : bad) {
        EXPECT_EQ(load(line).rfind("Position not loaded: ", 0), 0u) << line;
        EXPECT_EQ(snapshot(), before) << line;
    }
    EXPECT_EQ(printed([&] { frontend::loadPosition((directory.path() + "/absent.fen").c_str()); }),
              "Il file non esiste\n");
    EXPECT_EQ(snapshot(), before);

    // "init" is a new game: start position, counters cleared, book back on.
    frontend::loadPosition("init");
    EXPECT_EQ(snapshot(), start);
    EXPECT_TRUE(book::bookActive);
}

// The console's own commands, golden: settings refused or taken, take-backs to the start and
// back into the book (a one-line book: 1. e4 e5 2. Nf3), the position as FEN, and the help.
TEST(ConsoleTranscript, SettingsTakeBacksFenAndHelp) {
    TemporaryDirectory directory;
    writeFile(directory, "book.obk", "143464440625\n");
    const std::string startFen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
    const std::vector<std::string> input = {
        "hash", "undo", "remove", "st -1", "st x", "st", "sd 21", "sd 0", "sd two", "sd 1", "st 2.5", "e2e4", "fen",
        "undo", "fen", "undo", "board", "hash", "d2d4", "remove", "fen", "e2e4", "new", "fen", "st off", "help"};
    const std::vector<std::string> output = session(directory.path(), input);
    std::vector<std::string> expected = {
        "~Hashvalue: .*",
        "Error (no move to take back): undo",
        "Error (no two moves to take back): remove",
        "Error (st needs a number of seconds, or off): st -1",
        "Error (st needs a number of seconds, or off): st x",
        "Error (st needs a number of seconds, or off): st",
        "Error (sd needs a depth from 1 to 20): sd 21",
        "Error (sd needs a depth from 1 to 20): sd 0",
        "Error (sd needs a depth from 1 to 20): sd two",
        "move e7e5  ",
        "rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq e6 0 2",
        "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1",
    };
    expected.insert(expected.end(), START_PICTURE.begin(), START_PICTURE.end());
    // Out of the book the search answers, to depth 1 only; "remove" then goes back to the
    // start, and the book answers again.
    expected.insert(expected.end(), {"~Hashvalue: .*", "~Depth:1 Nodes:\\d+ Value:.*", "~move [a-h][1-8][a-h][1-8]  ",
                                     startFen, "move e7e5  ", startFen});
    const std::size_t helpStart = expected.size();
    const std::size_t helpLines = 23;
    ASSERT_EQ(output.size(), helpStart + helpLines) << ::testing::PrintToString(output);
    expectTranscript(output, expected);
    // The keys after the take-backs are the start's, kept and computed alike.
    EXPECT_EQ(output[0], output[START_PICTURE.size() + 12]);
    std::smatch match;
    ASSERT_TRUE(std::regex_match(output[0], match, HASH_LINE));
    EXPECT_EQ(match[1], match[2]);
    // The help names every command the console knows, one a line.
    std::string help;
    for (std::size_t index = helpStart; index < output.size(); ++index) help += output[index] + "\n";
    for (const char* command : {"move", "new", "new960", "undo", "remove", "st N", "sd N", "board", "fen", "pgn", "load FILE",
                                "perft N", "hash", "eval", "strength N", "threads N", "xboard", "uci", "help", "quit"})
        EXPECT_NE(help.find(std::string("\n") + command + " "), std::string::npos) << command;
    // Both ways of typing a move are named.
    EXPECT_NE(help.find("coordinates"), std::string::npos) << help;
    EXPECT_NE(help.find("algebraic notation"), std::string::npos) << help;
}

// At the console: a coordinate text stays a coordinate move, words that are no move stay unknown,
// malformed SAN is refused with "fen" unchanged; "pgn" at the start, and after a typed mate from
// a loaded position, with the engine named for the moves it made.
TEST(ConsoleTranscript, SanMovesAndPgn) {
    TemporaryDirectory directory;
    writeFile(directory, "mate.fen", "6k1/5ppp/8/8/8/8/8/R5K1 w\n");
    const std::string startFen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
    const std::vector<std::string> output =
        session(directory.path(), {"pgn", "sd 1", "b1c3", "undo", "fen", "hello", "Board", "Nz9", "O-O-O-O", "e9",
                                   "exd", "Nb1", "fen", "e4", "pgn", "load mate.fen", "Ra8#", "pgn"});
    const auto tags = [](const char* white, const char* black, const char* result) {
        return std::vector<std::string>{"[Event \"Console game\"]", "[Site \"?\"]", "~\\[Date \"\\d{4}\\.\\d\\d\\.\\d\\d\"\\]",
                                        "[Round \"-\"]", std::string("[White \"") + white + "\"]",
                                        std::string("[Black \"") + black + "\"]", std::string("[Result \"") + result + "\"]"};
    };
    std::vector<std::string> expected = tags("?", "?", "*");
    expected.insert(expected.end(), {"", "*", "~Depth:1 .*", "~move [a-h][1-8][a-h][1-8]  ",
                                     "rnbqkbnr/pppppppp/8/8/8/2N5/PPPPPPPP/R1BQKBNR b KQkq - 1 1",
                                     "Error (unknown command): hello", "Error (unknown command): Board",
                                     "Illegal move: Nz9 (z9 is not a square)",
                                     "Illegal move: O-O-O-O (castling is written O-O or O-O-O)",
                                     "Illegal move: e9 (e9 is not a square)",
                                     "Illegal move: exd (it names no square to go to)",
                                     "Illegal move: Nb1 (no knight can move to b1)",
                                     "rnbqkbnr/pppppppp/8/8/8/2N5/PPPPPPPP/R1BQKBNR b KQkq - 1 1",
                                     "Illegal move: e4 (no pawn can move to e4)"});
    const std::vector<std::string> pgnAfterC3 = tags("Player", "?", "*");
    expected.insert(expected.end(), pgnAfterC3.begin(), pgnAfterC3.end());
    expected.insert(expected.end(), {"", "1. Nc3 *", "~Depth:1 .*", "I lose in 1", "Checkmate: White wins"});
    const std::vector<std::string> pgnAfterMate = tags("Player", "?", "1-0");
    expected.insert(expected.end(), pgnAfterMate.begin(), pgnAfterMate.end());
    expected.insert(expected.end(), {"[SetUp \"1\"]", "[FEN \"6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1\"]", "", "1. Ra8# 1-0"});
    ASSERT_EQ(output.size(), expected.size()) << ::testing::PrintToString(output);
    expectTranscript(output, expected);
}

// Chess960 at the console: new960 and its refusals, castling fields in all three forms read and
// written back as X-FEN, castling typed as O-O or as the king taking its rook (the two-square
// form refused in a Chess960 game), a mate by castling answered, and the PGN's variant tags.
TEST(ConsoleTranscript, Chess960GamesFenCastlingAndPgn) {
    TemporaryDirectory directory;
    struct FenCase {
        const char* given;
        const char* written;
    };
    const FenCase fens[] = {
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w HAha", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"},
        {"bbqnnrkr/pppppppp/8/8/8/8/PPPPPPPP/BBQNNRKR b HFhf", "bbqnnrkr/pppppppp/8/8/8/8/PPPPPPPP/BBQNNRKR b KQkq - 0 1"},
        // Double Fischer Random: each side its own files.
        {"rkr5/8/8/8/8/8/8/5RKR w FHac", "rkr5/8/8/8/8/8/8/5RKR w KQkq - 0 1"},
        // X-FEN: the inner of two rooks by its file, the outer by K or Q.
        {"4k3/8/8/8/8/8/8/R1R1K2R w KC", "4k3/8/8/8/8/8/8/R1R1K2R w KC - 0 1"},
        // A file letter naming no rook beside the king, or a king off its rank: no right.
        {"4k3/8/8/8/8/8/8/R3K2R w EBZ", "4k3/8/8/8/8/8/8/R3K2R w - - 0 1"},
        {"4k3/8/8/8/8/8/4K3/R6R w A", "4k3/8/8/8/8/8/4K3/R6R w - - 0 1"},
        // Standard letters without their rook mean what they always meant.
        {"4k3/8/8/8/8/8/8/4K3 w KQkq", "4k3/8/8/8/8/8/8/4K3 w KQkq - 0 1"},
    };
    std::vector<std::string> input = {"new960 960", "new960 x", "new960 -1", "fen", "new960 959", "fen", "new960 518", "fen"};
    std::vector<std::string> expected = {
        "Error (new960 needs a start number from 0 to 959): new960 960",
        "Error (new960 needs a start number from 0 to 959): new960 x",
        "Error (new960 needs a start number from 0 to 959): new960 -1",
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
        "rkrnnqbb/pppppppp/8/8/8/8/PPPPPPPP/RKRNNQBB w KQkq - 0 1",
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"};
    for (std::size_t index = 0; index < std::size(fens); ++index) {
        const std::string name = "case" + std::to_string(index) + ".fen";
        writeFile(directory, name, std::string(fens[index].given) + "\n");
        input.insert(input.end(), {"load " + name, "fen"});
        expected.push_back(fens[index].written);
    }
    // King b1 and rook h1 castle to g1 and f1; the mate is the king on f1 and its rook on g1
    // changing places, which no other move can do.
    writeFile(directory, "far.fen", "4k3/pppppppp/8/8/8/8/8/1K5R w K\n");
    writeFile(directory, "swap.fen", "4rkr1/4p1p1/8/8/8/8/8/5KR1 w K\n");
    input.insert(input.end(), {"sd 1", "load far.fen", "b1g1", "b1h1", "fen", "remove", "O-O", "fen", "hash",
                               "load swap.fen", "move", "pgn"});
    expected.insert(expected.end(),
                    {"Illegal move: b1g1", "~Depth:1 .*", "~move [a-h][1-8][a-h][1-8]  ",
                     "~4k3/[pa-h1-8/]+/5RK1 w - - 0 2", "~Depth:1 .*", "~move [a-h][1-8][a-h][1-8]  ",
                     "~4k3/[pa-h1-8/]+/5RK1 w - - 0 2", "~Hashvalue: (-?\\d+) \\(CurrentHash:\\1\\)",
                     "~Depth:1 Nodes:\\d+ Value:\\+10000\\.00 f1g1-", "Mate in 1", "move f1g1  ", "Checkmate: White wins",
                     "[Event \"Console game\"]", "[Site \"?\"]", "~\\[Date .*", "[Round \"-\"]",
                     "[White \"Morvelline\"]", "[Black \"?\"]", "[Result \"1-0\"]", "[Variant \"Chess960\"]",
                     "[SetUp \"1\"]", "[FEN \"4rkr1/4p1p1/8/8/8/8/8/5KR1 w K - 0 1\"]", "", "1. O-O# 1-0"});
    const std::vector<std::string> output = session(directory.path(), input);
    ASSERT_EQ(output.size(), expected.size()) << ::testing::PrintToString(output);
    expectTranscript(output, expected);
}

// "pgn" leaves the game exactly as it was (it replays the game to write it), and the engine's
// own moves carry its name: a game the engine played against itself from a loaded position.
TEST(Pgn, LeavesTheGameAsItWasAndNamesTheEngine) {
    const NoAnswer quiet;
    quietEngine();
    setPosition("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R b KQkq -");
    std::mt19937 generator(28);
    for (int ply = 0; ply < 40; ++ply) {
        const std::vector<std::string> legal = legalMoveTexts();
        if (legal.empty()) break;
        ASSERT_TRUE(frontend::playUserMove(legal[generator() % legal.size()].c_str()));
        frontend::recordMover(ply % 2 == 1);
    }
    const std::string before = snapshot();
    const std::string pgn = printed(frontend::printGamePgn);
    EXPECT_EQ(snapshot(), before);
    EXPECT_TRUE(board::positionIsConsistent());
    EXPECT_NE(pgn.find("[White \"Morvelline\"]\n[Black \"Player\"]\n"), std::string::npos) << pgn;
    EXPECT_NE(pgn.find("[FEN \"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R b KQkq - 0 1\"]"), std::string::npos)
        << pgn;
    EXPECT_NE(pgn.find("\n\n1... "), std::string::npos) << pgn;
    // Move text lines stay under 80 characters.
    std::istringstream lines(pgn);
    for (std::string line; std::getline(lines, line);) EXPECT_LT(line.size(), 80u) << line;
}

// "threads": broken counts refused with the range; perft on two threads counts what one does,
// and a think on two threads plays a legal move.
TEST(ConsoleTranscript, ThreadsSettingPerftAndThink) {
    TemporaryDirectory directory;
    const std::vector<std::string> output = session(
        directory.path(), {"threads 0", "threads 257", "threads x", "threads", "threads 2", "perft 4", "load init",
                           "sd 5", "e2e4", "threads 1", "load init", "perft 4"});
    ASSERT_GE(output.size(), 7u) << ::testing::PrintToString(output);
    expectTranscript(output, {"Error (threads needs a number from 1 to 256): threads 0",
                              "Error (threads needs a number from 1 to 256): threads 257",
                              "Error (threads needs a number from 1 to 256): threads x",
                              "Error (threads needs a number from 1 to 256): threads",
                              "~206603 mosse in \\d+ millisecondi"});
    EXPECT_TRUE(std::regex_match(output.back(), std::regex("206603 mosse in \\d+ millisecondi"))) << output.back();
    RulesGame game;
    game.play("e2e4");
    const auto reply = std::find_if(output.begin(), output.end(),
                                    [](const std::string& line) { return line.rfind("move ", 0) == 0; });
    ASSERT_NE(reply, output.end());
    EXPECT_TRUE(game.isLegal(reply->substr(5, 4))) << *reply;
}

// "strength": broken values are refused with the range and leave the level as it was, so the
// think after them still stops at the low level's node budget, far short of depth 20.
TEST(ConsoleTranscript, StrengthRefusalsKeepTheLevel) {
    TemporaryDirectory directory;
    const std::vector<std::string> output =
        session(directory.path(), {"strength 800", "strength x", "strength 799", "strength 1801", "strength",
                                   "strength 12abc", "strength -800", "move", "strength off", "sd 2", "move"});
    const std::vector<std::string> refusals = {
        "Error (strength needs an Elo from 800 to 1800, or off): strength x",
        "Error (strength needs an Elo from 800 to 1800, or off): strength 799",
        "Error (strength needs an Elo from 800 to 1800, or off): strength 1801",
        "Error (strength needs an Elo from 800 to 1800, or off): strength",
        "Error (strength needs an Elo from 800 to 1800, or off): strength 12abc",
        "Error (strength needs an Elo from 800 to 1800, or off): strength -800",
    };
    ASSERT_GT(output.size(), refusals.size()) << ::testing::PrintToString(output);
    expectTranscript(output, refusals);
    int deepest = 0;
    int moves = 0;
    std::smatch match;
    for (std::size_t index = refusals.size(); index < output.size(); ++index) {
        if (std::regex_search(output[index], match, std::regex("^Depth:(\\d+) ")) && moves == 0)
            deepest = std::max(deepest, std::stoi(match[1]));
        if (output[index].rfind("move ", 0) == 0) ++moves;
    }
    EXPECT_EQ(moves, 2) << ::testing::PrintToString(output);
    EXPECT_GE(deepest, 1);
    EXPECT_LE(deepest, 6) << "the level did not hold";
}

// The end of the game is said after the user's move and after the engine's; a move after it
// is refused, while undo, load and the engine's own "move" still work.
TEST(ConsoleTranscript, CheckmateAndStalemateAreSaid) {
    TemporaryDirectory directory;
    writeFile(directory, "mate.fen", "6k1/5ppp/8/8/8/8/8/R5K1 w\n");
    writeFile(directory, "stale.fen", "k7/8/2Q5/8/8/8/8/K7 w\n");
    const std::vector<std::string> output =
        session(directory.path(), {"sd 1", "load mate.fen", "a1a8", "g8h8", "undo", "fen", "load stale.fen", "c6b6",
                                   "a8b8", "undo", "fen", "load mate.fen", "move"});
    const std::vector<std::string> expected = {
        "~Depth:1 .*", "I lose in 1", "Checkmate: White wins", "Error (the game is over): g8h8",
        "6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1", "~Depth:1 .*", "Stalemate: the game is drawn",
        "Error (the game is over): a8b8", "k7/8/2Q5/8/8/8/8/K7 w - - 0 1", "~Depth:1 .*a1a8-", "Mate in 1",
        "move a1a8  ", "Checkmate: White wins"};
    ASSERT_EQ(output.size(), expected.size()) << ::testing::PrintToString(output);
    expectTranscript(output, expected);
}

// "st" bounds a middlegame think that would otherwise run to depth 20; "sd" bounds the depth.
TEST(ConsoleTranscript, StAndSdBoundAThink) {
    TemporaryDirectory directory;
    writeFile(directory, "middle.fen", "r1bq1rk1/pp2bppp/2n1pn2/2pp4/3P4/2PBPN2/PP1N1PPP/R2QK2R w KQ\n");
    EngineProcess engine(directory.path());
    const auto think = [&](const std::vector<std::string>& lines, int& deepest) {
        for (const std::string& line : lines) EXPECT_TRUE(engine.writeLine(line));
        const auto start = std::chrono::steady_clock::now();
        std::string skipped;
        const auto move = engine.readUntil([](const std::string& line) { return line.rfind("move ", 0) == 0; },
                                           &skipped, std::chrono::seconds(120));
        EXPECT_TRUE(move.has_value()) << skipped;
        deepest = 0;
        std::smatch match;
        for (std::istringstream lines(skipped); std::getline(lines, skipped);)
            if (std::regex_search(skipped, match, std::regex("^Depth:(\\d+) "))) deepest = std::stoi(match[1]);
        return std::chrono::steady_clock::now() - start;
    };
    int deepest = 0;
    // A slow machine may add the pipe and the nodes between two clock checks; a depth-20 think takes far longer.
    EXPECT_LT(think({"load middle.fen", "st 1", "move"}, deepest), std::chrono::seconds(8));
    EXPECT_LT(deepest, 20);
    think({"load middle.fen", "st off", "sd 3", "move"}, deepest);
    EXPECT_EQ(deepest, 3);
}

// A take-back restores everything a move changed, typed moves and the engine's alike:
// castling, en passant and promotions come up in random games from these positions.
TEST(TakeBack, RestoresEverythingAMoveChanged) {
    const char* const starts[] = {
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq",
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq",
        "n1n5/PPPk4/8/8/8/8/4Kppp/5N1N b -",
    };
    const NoAnswer quiet;
    std::mt19937 generator(14);
    for (const char* fen : starts) {
        quietEngine();
        if (std::strcmp(fen, starts[0]) != 0) setPosition(fen);
        std::vector<std::string> before;
        for (int ply = 0; ply < 120; ++ply) {
            const std::vector<std::string> legal = legalMoveTexts();
            if (legal.empty()) break;
            before.push_back(snapshot());
            const std::string move = legal[generator() % legal.size()];
            if (ply % 2 == 0)
                EXPECT_TRUE(frontend::playUserMove(move.c_str())) << move;
            else
                playMove(move);
        }
        ASSERT_GT(before.size(), 10u) << fen;
        while (!before.empty()) {
            ASSERT_TRUE(frontend::takeBackMoves(1));
            EXPECT_EQ(snapshot(), before.back()) << fen << " ply " << before.size();
            EXPECT_TRUE(board::positionIsConsistent()) << fen;
            before.pop_back();
        }
        const std::string start = snapshot();
        EXPECT_FALSE(frontend::takeBackMoves(1));
        EXPECT_EQ(snapshot(), start);
    }
}

// The position as six FEN fields; a file holding that line loads the same placement, side and castling.
TEST(Fen, WritesSixFieldsThatLoadBack) {
    TemporaryDirectory directory;
    const struct {
        const char* fen;
        std::vector<const char*> moves;
        const char* written;
    } cases[] = {
        {"", {"e2e4"}, "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1"},
        {"",
         {"e2e4", "e7e5", "g1f3", "b8c6", "f1c4", "g8f6", "e1g1"},
         "r1bqkb1r/pppp1ppp/2n2n2/4p3/2B1P3/5N2/PPPP1PPP/RNBQ1RK1 b kq - 5 4"},
        {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq", {"h1h2", "a8b8"}, "1r2k2r/8/8/8/8/8/7R/R3K3 w Qk - 2 2"},
        {"4k3/8/8/8/8/8/8/4K3 b -", {"e8d7"}, "8/3k4/8/8/8/8/8/4K3 w - - 1 2"},
    };
    const NoAnswer quiet;
    for (const auto& test : cases) {
        quietEngine();
        if (*test.fen != '\0') setPosition(test.fen);
        for (const char* move : test.moves) ASSERT_TRUE(frontend::playUserMove(move)) << move;
        char text[frontend::FEN_TEXT_SIZE];
        frontend::writeFen(text);
        EXPECT_STREQ(text, test.written);
        const std::string path = writeFile(directory, "written.fen", std::string(text) + "\n");
        EXPECT_EQ(printed([&] { frontend::loadPosition(path.c_str()); }), "");
        frontend::writeFen(text);
        const std::string written = test.written;
        const std::size_t threeFields = written.find(' ', written.find(' ', written.find(' ') + 1) + 1);
        EXPECT_EQ(std::string(text), written.substr(0, threeFields) + " - 0 1");
    }
}

// A console game of 1,500 plies between kings, which can never end by mate: every answer is a
// legal move for the side to move, and the FEN after each turn is the rules' position.
TEST(ConsoleTranscript, LongGameKeepsAnswering) {
    TemporaryDirectory directory;
    const std::string start = "k7/8/8/8/8/8/8/7K w -";
    writeFile(directory, "kings.fen", start + "\n");
    EngineProcess engine(directory.path());
    RulesGame game(start);
    for (const char* line : {"load kings.fen", "sd 1"}) ASSERT_TRUE(engine.writeLine(line));
    std::mt19937 generator(15);
    while (game.moves().size() < 1500) {
        const std::vector<std::string> legal = game.legalMoves();
        const std::string typed = legal[generator() % legal.size()];
        game.play(typed);
        ASSERT_TRUE(engine.writeLine(typed));
        ASSERT_TRUE(engine.writeLine("fen"));
        for (;;) {
            const auto line = engine.readLine(std::chrono::seconds(30));
            ASSERT_TRUE(line.has_value()) << "ply " << game.moves().size();
            if (line->rfind("move ", 0) == 0) {
                const std::string reply = line->substr(5, 4);
                ASSERT_TRUE(game.isLegal(reply)) << reply << " at ply " << game.moves().size();
                game.play(reply);
            } else if (line->find(" - - ") != std::string::npos) {
                // The FEN closes the turn: its side must be the rules' side to move.
                EXPECT_EQ(line->at(line->find(' ') + 1), game.moves().size() % 2 == 0 ? 'w' : 'b') << *line;
                break;
            } else {
                // Thinking lines, and repetitions, where the engine plays no move.
                EXPECT_TRUE(line->rfind("Depth:", 0) == 0 || *line == "Draw by repetition") << *line;
            }
        }
    }
    EXPECT_GE(game.moves().size(), 1500u);
}

// "morvelline bench": the search signature, its last line as OpenBench reads it, then the end.
TEST(CommandLine, BenchPrintsTheSignatureLast) {
    TemporaryDirectory directory;
    EngineProcess engine(directory.path(), MORVELLINE_BINARY, {"bench"});
    std::vector<std::string> lines;
    while (const auto line = engine.readLine(std::chrono::minutes(10))) lines.push_back(*line);
    const std::optional<int> status = engine.waitExit(std::chrono::seconds(10));
    ASSERT_TRUE(status);
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0);
    ASSERT_FALSE(lines.empty());
    std::smatch figures;
    ASSERT_TRUE(std::regex_match(lines.back(), figures, std::regex(R"((\d+) nodes (\d+) nps)"))) << lines.back();
    // The figure bench/bench.cpp prints as "Nodes searched: 4569262".
    EXPECT_EQ(figures[1], "4569262");
}
