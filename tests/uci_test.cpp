// UCI end to end: the built program over pipes, every reply checked against the
// rules model in this process. Waits are generous; nothing here is a speed test.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <random>
#include <regex>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "engine_process.h"
#include "frontend/movetext.h"

using namespace testing_support;
using namespace std::chrono_literals;

namespace {

struct Info {
    int depth = 0;
    bool mate = false;
    long long score = 0;
    long long nodes = 0;
    int multiPv = 1;
    std::vector<std::string> pv;
};

bool isNumber(const std::string& text, bool mayBeNegative) {
    const std::size_t first = mayBeNegative && text.size() > 1 && text[0] == '-' ? 1 : 0;
    return !text.empty() && std::all_of(text.begin() + static_cast<long>(first), text.end(),
                                        [](char c) { return c >= '0' && c <= '9'; });
}

// Coordinate move text with an optional lower-case promotion letter.
bool isMoveText(const std::string& text) {
    const auto square = [&](std::size_t at) {
        return text[at] >= 'a' && text[at] <= 'h' && text[at + 1] >= '1' && text[at + 1] <= '8';
    };
    return (text.size() == 4 || (text.size() == 5 && std::string("qrbn").find(text[4]) != std::string::npos)) &&
           square(0) && square(2);
}

// "info depth D seldepth S [multipv K] score cp|mate S nodes N time T nps X hashfull H [pv ...]",
// nothing else; "pv" is never bare.
std::optional<Info> parseInfo(const std::string& line) {
    std::istringstream words(line);
    std::vector<std::string> word;
    for (std::string next; words >> next;) word.push_back(next);
    int multiPv = 1;
    if (word.size() > 6 && word[5] == "multipv") {
        if (!isNumber(word[6], false)) return std::nullopt;
        multiPv = std::stoi(word[6]);
        word.erase(word.begin() + 5, word.begin() + 7);
    }
    const char* const labels[] = {"info", "depth", nullptr, "seldepth", nullptr, "score", nullptr, nullptr, "nodes",
                                  nullptr, "time", nullptr, "nps", nullptr, "hashfull", nullptr};
    constexpr std::size_t FIXED = std::size(labels);
    if (word.size() < FIXED || word.size() == FIXED + 1) return std::nullopt;
    for (std::size_t at = 0; at < FIXED; ++at)
        if (labels[at] != nullptr && word[at] != labels[at]) return std::nullopt;
    if ((word[6] != "cp" && word[6] != "mate") || !isNumber(word[7], true)) return std::nullopt;
    for (const std::size_t at : {2, 4, 9, 11, 13, 15})
        if (!isNumber(word[at], false)) return std::nullopt;
    if (word.size() > FIXED && word[FIXED] != "pv") return std::nullopt;
    if (std::stoi(word[4]) < std::stoi(word[2]) || std::stoi(word[15]) > 1000) return std::nullopt;
    Info info;
    info.multiPv = multiPv;
    info.depth = std::stoi(word[2]);
    info.mate = word[6] == "mate";
    info.score = std::stoll(word[7]);
    info.nodes = std::stoll(word[9]);
    if (word.size() > FIXED) info.pv.assign(word.begin() + FIXED + 1, word.end());
    if (!std::all_of(info.pv.begin(), info.pv.end(), isMoveText)) return std::nullopt;
    return info;
}

std::string joined(const std::vector<std::string>& moves) {
    std::string text;
    for (const std::string& move : moves) text += (text.empty() ? "" : " ") + move;
    return text;
}

struct Answer {
    std::vector<Info> infos;
    std::vector<std::pair<std::string, int>> currentMoves;  // "info currmove M currmovenumber K"
    std::vector<std::string> strings;  // "info string" lines
    std::string bestmove;              // empty when none came
    std::string ponder;                // the expected reply, when one was named
};

// One engine in UCI mode, in its own directory (with the shipped book when asked).
class Uci {
public:
    // launcher: a program and its arguments that start the engine in its place.
    explicit Uci(bool withBook = false, const std::vector<std::string>& launcher = {}) {
        if (withBook)
            std::filesystem::copy_file(std::filesystem::path(MORVELLINE_SOURCE_DIR) / "book.obk",
                                       std::filesystem::path(directory_.path()) / "book.obk");
        if (launcher.empty())
            engine_.emplace(directory_.path());
        else
            engine_.emplace(directory_.path(), launcher.front(),
                            std::vector<std::string>(launcher.begin() + 1, launcher.end()));
        send("uci");
        while (const auto next = engine_->readLine()) {
            handshake.push_back(*next);
            if (*next == "uciok") break;
        }
    }
    void send(const std::string& line) { ASSERT_TRUE(engine_->writeLine(line)) << line; }
    EngineProcess& process() { return *engine_; }

    // Reads up to "bestmove"; every info line must be well-formed and start with a legal move.
    Answer answer(const RulesGame& game, std::chrono::milliseconds timeout = 60s) {
        Answer result;
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            const auto line = left.count() > 0 ? engine_->readLine(left) : std::nullopt;
            if (!line) {
                ADD_FAILURE() << "no bestmove in time";
                return result;
            }
            if (line->rfind("bestmove ", 0) == 0) {
                std::istringstream words(line->substr(9));
                std::string label;
                words >> result.bestmove >> label >> result.ponder;
                EXPECT_TRUE(label.empty() || (label == "ponder" && !result.ponder.empty())) << *line;
                // The last best line begins with the move played.
                const auto best = std::find_if(result.infos.rbegin(), result.infos.rend(),
                                               [](const Info& info) { return info.multiPv == 1; });
                if (result.bestmove != "0000" && best != result.infos.rend()) {
                    EXPECT_TRUE(!best->pv.empty() && best->pv.front() == result.bestmove) << *line;
                }
                return result;
            }
            if (line->rfind("info string ", 0) == 0) {
                result.strings.push_back(*line);
                continue;
            }
            if (line->rfind("info currmove ", 0) == 0) {
                std::istringstream words(line->substr(14));
                std::string move, label, number;
                words >> move >> label >> number;
                EXPECT_TRUE(game.isLegal(move) && label == "currmovenumber" && isNumber(number, false)) << *line;
                if (isNumber(number, false)) result.currentMoves.emplace_back(move, std::stoi(number));
                continue;
            }
            const std::optional<Info> info = parseInfo(*line);
            if (!info) {
                ADD_FAILURE() << "malformed line: " << *line;
                continue;
            }
            // A raw internal mate value must never pass for centipawns.
            EXPECT_TRUE(info->mate || std::llabs(info->score) <= 100000) << *line;
            // Every move of a line is legal after the ones before it.
            EXPECT_TRUE(game.lineIsLegal(info->pv)) << *line;
            result.infos.push_back(*info);
        }
    }
    // A whole answer: a played move comes with at least one scored line.
    Answer go(const std::string& command, const RulesGame& game) {
        send(command);
        Answer result = answer(game);
        if (result.bestmove != "0000") {
            EXPECT_FALSE(result.infos.empty()) << command << ": no info line";
        }
        return result;
    }

    std::vector<std::string> handshake;

private:
    TemporaryDirectory directory_;
    std::optional<EngineProcess> engine_;
};

void expectLegalBest(const Answer& answer, const RulesGame& game, const std::string& context) {
    EXPECT_TRUE(game.isLegal(answer.bestmove)) << context << ": bestmove " << answer.bestmove;
}

}  // namespace

TEST(Uci, HandshakeAndIsready) {
    Uci uci;
    ASSERT_FALSE(uci.handshake.empty());
    EXPECT_EQ(uci.handshake.front(), "id name Morvelline");
    EXPECT_EQ(uci.handshake.back(), "uciok");
    int authors = 0;
    for (const std::string& line : uci.handshake) authors += line.rfind("id author ", 0) == 0 ? 1 : 0;
    EXPECT_EQ(authors, 1);
    for (const char* option : {"option name OwnBook type check default true", "option name Ponder type check default false"})
        EXPECT_NE(std::find(uci.handshake.begin(), uci.handshake.end(), option), uci.handshake.end()) << option;
    uci.send("isready");
    EXPECT_EQ(uci.process().readLine(), "readyok");
    // Unknown commands are ignored silently.
    uci.send("frobnicate now");
    uci.send("isready");
    EXPECT_EQ(uci.process().readLine(), "readyok");
}

// Complete games on short clocks against a random legal mover, the engine on each side,
// with the book the program ships; the test keeps the engine's clock from the wall time.
TEST(Uci, GamesAgainstRandomMover) {
    struct Control {
        bool engineWhite;
        long long startMs, incrementMs;
        int movesPerControl;  // 0: the whole game
    };
    const Control controls[] = {{true, 2000, 20, 0}, {false, 2000, 20, 0}, {false, 1500, 0, 20}};
    constexpr int MAX_PLIES = 300;
    std::mt19937 random(20261208);
    for (const Control& control : controls) {
        Uci uci(true);
        uci.send("ucinewgame");
        RulesGame game;
        long long engineClock = control.startMs;
        const long long otherClock = control.startMs;
        int engineMoves = 0;
        while (!game.over() && static_cast<int>(game.moves().size()) < MAX_PLIES) {
            const bool whiteToMove = game.moves().size() % 2 == 0;
            if (whiteToMove != control.engineWhite) {
                const std::vector<std::string> legal = game.legalMoves();
                game.play(legal[random() % legal.size()]);
                continue;
            }
            uci.send("position startpos" + (game.moves().empty() ? "" : " moves " + joined(game.moves())));
            const std::string white = std::to_string(control.engineWhite ? engineClock : otherClock);
            const std::string black = std::to_string(control.engineWhite ? otherClock : engineClock);
            const std::string increment = std::to_string(control.incrementMs);
            std::string command = "go wtime " + white + " btime " + black + " winc " + increment + " binc " + increment;
            if (control.movesPerControl > 0)
                command += " movestogo " + std::to_string(control.movesPerControl - engineMoves % control.movesPerControl);
            const auto started = std::chrono::steady_clock::now();
            const Answer answer = uci.go(command, game);
            engineClock -= std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started)
                               .count();
            ASSERT_GT(engineClock, 0) << "flag fell after " << joined(game.moves());
            engineClock += control.incrementMs;
            if (control.movesPerControl > 0 && ++engineMoves % control.movesPerControl == 0)
                engineClock += control.startMs;
            ASSERT_TRUE(game.isLegal(answer.bestmove)) << answer.bestmove << " after " << joined(game.moves());
            game.play(answer.bestmove);
        }
        // Random moves should never mate it.
        if (game.legalMoves().empty() && game.inCheck()) {
            const bool whiteMated = game.moves().size() % 2 == 0;
            EXPECT_NE(whiteMated, control.engineWhite) << joined(game.moves());
        }
    }
}

TEST(Uci, IsreadyStopAndQuitWhileThinking) {
    Uci uci;
    RulesGame game;
    uci.send("position startpos");
    uci.send("go infinite");
    std::string passed;
    ASSERT_TRUE(uci.process().readUntil([](const std::string& line) { return line.rfind("info depth 3 ", 0) == 0; },
                                        &passed));
    uci.send("isready");
    // The answer comes during the search, which goes on to deeper iterations afterwards.
    const auto ready = uci.process().readUntil([](const std::string& line) { return line == "readyok"; }, &passed, 10s);
    ASSERT_TRUE(ready);
    EXPECT_EQ(passed.find("bestmove"), std::string::npos);
    const auto deeper = uci.process().readUntil(
        [](const std::string& line) { return line.rfind("info depth 5 ", 0) == 0 || line.rfind("bestmove", 0) == 0; });
    ASSERT_TRUE(deeper);
    EXPECT_EQ(deeper->rfind("info depth 5 ", 0), 0u) << *deeper;
    // "infinite" waits for "stop", then answers at once.
    EXPECT_FALSE(uci.process().readUntil([](const std::string& line) { return line.rfind("bestmove", 0) == 0; },
                                         nullptr, 300ms));
    uci.send("stop");
    const Answer stopped = uci.answer(game, 10s);
    expectLegalBest(stopped, game, "stop");

    uci.send("go infinite");
    ASSERT_TRUE(uci.process().readUntil([](const std::string& line) { return line.rfind("info depth 2 ", 0) == 0; }));
    uci.send("quit");
    const std::optional<int> status = uci.process().waitExit(10s);
    ASSERT_TRUE(status);
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0);
}

// "go infinite" searches even where the book has a move; "go ponder" answers only after
// "ponderhit" (then within the clock's budget) or "stop", even when its search or the book
// is done long before; with the Ponder option the answer names a legal reply to ponder on.
TEST(Uci, InfiniteAndPonderAnswerOnlyWhenReleased) {
    Uci uci(true);
    const auto startsWith = [](const std::string& prefix) {
        return [prefix](const std::string& line) { return line.rfind(prefix, 0) == 0; };
    };
    const auto noBestmoveWithin = [&](std::chrono::milliseconds wait) {
        std::string passed;
        EXPECT_FALSE(uci.process().readUntil(startsWith("bestmove"), &passed, wait));
        return passed;
    };
    uci.send("setoption name Ponder value true");
    {
        RulesGame game;
        uci.send("position startpos");
        uci.send("go infinite");
        ASSERT_TRUE(uci.process().readUntil(startsWith("info depth 3 ")));
        uci.send("stop");
        const Answer analysed = uci.answer(game, 10s);
        expectLegalBest(analysed, game, "analysis from the book's start");
    }
    struct Case {
        const char* moves;
        const char* go;
        const char* release;
        bool fromBook;
    };
    const Case cases[] = {
        {"e2e4", "go ponder wtime 60000 btime 60000", "ponderhit", true},
        {"a2a3 h7h6", "go ponder depth 2 wtime 60000 btime 60000", "ponderhit", false},
        // 3 s on the clock: a budget of about 100 ms from "ponderhit", where pondering had none.
        {"a2a3 h7h6", "go ponder wtime 3000 btime 3000", "ponderhit", false},
        {"a2a3 h7h6", "go ponder wtime 3000 btime 3000", "stop", false},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(std::string(test.moves) + " / " + test.go + " / " + test.release);
        RulesGame game;
        std::istringstream moves(test.moves);
        for (std::string move; moves >> move;) game.play(move);
        uci.send("ucinewgame");
        uci.send(std::string("position startpos moves ") + test.moves);
        uci.send(test.go);
        const std::string before = noBestmoveWithin(600ms);
        // A book move is reported as a line too.
        EXPECT_NE(before.find("info depth"), std::string::npos) << before;
        uci.send("isready");
        EXPECT_TRUE(uci.process().readUntil([](const std::string& line) { return line == "readyok"; }, nullptr, 10s));
        noBestmoveWithin(300ms);
        uci.send(test.release);
        const Answer answer = uci.answer(game, 20s);
        expectLegalBest(answer, game, test.release);
        if (test.fromBook || answer.bestmove.empty()) continue;
        ASSERT_FALSE(answer.ponder.empty()) << "a searched answer names its expected reply";
        RulesGame after = game;
        after.play(answer.bestmove);
        EXPECT_TRUE(after.isLegal(answer.ponder)) << answer.bestmove << " ponder " << answer.ponder;
    }
}

// Every FEN field counts: the en-passant square makes the only legal move, and the
// half-move clock brings the fifty-move limit into the search.
TEST(Uci, FenFieldsAreUsed) {
    Uci uci;
    const std::string epPosition = "K7/2k5/2n1p3/3pP3/8/8/8/8 w - d6";
    {
        RulesGame game(epPosition);
        ASSERT_EQ(game.legalMoves(), std::vector<std::string>{"e5d6"});
        uci.send("position fen " + epPosition + " 0 2");
        EXPECT_EQ(uci.go("go depth 3", game).bestmove, "e5d6");
    }
    {
        // Without the square White has no move at all.
        RulesGame game("K7/2k5/2n1p3/3pP3/8/8/8/8 w - -");
        ASSERT_TRUE(game.legalMoves().empty());
        uci.send("position fen K7/2k5/2n1p3/3pP3/8/8/8/8 w - - 0 2");
        EXPECT_EQ(uci.go("go depth 3", game).bestmove, "0000");
    }
    // A queen up: winning at clock 0, a draw at 99 where every quiet move reaches the limit;
    // a clock far beyond the limit behaves the same.
    const std::string queenUp = "6k1/8/8/8/8/8/8/3QK3 w - -";
    RulesGame game(queenUp);
    for (const std::string clock : {"0", "99", "2147483647"}) {
        uci.send("ucinewgame");
        uci.send("position fen " + queenUp + " " + clock + " 80");
        const Answer answer = uci.go("go depth 3", game);
        expectLegalBest(answer, game, clock);
        ASSERT_FALSE(answer.infos.empty());
        const Info& last = answer.infos.back();
        EXPECT_FALSE(last.mate);
        if (clock == "0") {
            EXPECT_GT(last.score, 500) << clock;
        } else {
            EXPECT_LT(std::llabs(last.score), 100) << clock;
        }
    }
}

TEST(Uci, MateScoresAndNoMove) {
    Uci uci;
    {
        RulesGame game("7k/5Q2/6K1/8/8/8/8/8 w - -");
        uci.send("position fen 7k/5Q2/6K1/8/8/8/8/8 w - - 0 1");
        const Answer answer = uci.go("go depth 5", game);
        ASSERT_FALSE(answer.infos.empty());
        EXPECT_TRUE(answer.infos.back().mate && answer.infos.back().score == 1);
        ASSERT_TRUE(game.isLegal(answer.bestmove)) << answer.bestmove;
        game.play(answer.bestmove);
        EXPECT_TRUE(game.legalMoves().empty() && game.inCheck()) << answer.bestmove;
    }
    {
        // Black's only move walks into Rh8 mate.
        RulesGame game("k7/8/1K6/8/8/8/8/7R b - -");
        uci.send("position fen k7/8/1K6/8/8/8/8/7R b - - 0 1");
        const Answer answer = uci.go("go depth 5", game);
        ASSERT_FALSE(answer.infos.empty());
        EXPECT_TRUE(answer.infos.back().mate && answer.infos.back().score < 0);
        EXPECT_EQ(answer.bestmove, "a8b8");
    }
    {
        RulesGame game("8/P7/8/8/8/8/8/k3K3 w - -");
        uci.send("position fen 8/P7/8/8/8/8/8/k3K3 w - - 0 1");
        const Answer answer = uci.go("go depth 4", game);
        expectLegalBest(answer, game, "promotion");
        EXPECT_TRUE(isMoveText(answer.bestmove) && answer.bestmove.size() == 5) << answer.bestmove;
    }
    // Checkmated and stalemated: nothing to play.
    for (const std::string fen : {"5Q1k/8/6K1/8/8/8/8/8 b - -", "7k/5Q2/5K2/8/8/8/8/8 b - -"}) {
        RulesGame game(fen);
        uci.send("position fen " + fen + " 0 1");
        EXPECT_EQ(uci.go("go depth 3", game).bestmove, "0000") << fen;
    }
}

TEST(Uci, BrokenPositionsKeepThePreviousOne) {
    Uci uci;
    RulesGame game;
    game.play("e2e4");
    uci.send("position startpos moves e2e4");
    const char* const broken[] = {
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP w KQkq - 0 1",            // seven ranks
        "rnbqkbnr/pppppppp/9/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",   // nine squares
        "rnbqkbnr/ppppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",  // nine pieces
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR",                // no side
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR x KQkq - 0 1",   // side neither w nor b
        "rnbq1bnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQ - 0 1",     // no black king
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKKNR w KQkq - 0 1",   // two white kings
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 x",   // no move number
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq e9 0 1",  // bad square
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq e4 0 1",  // no en-passant rank
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - -3 1",  // negative clock
        "",
    };
    for (const char* fen : broken) {
        uci.send(std::string("position fen ") + fen);
        const auto line = uci.process().readLine(10s);
        ASSERT_TRUE(line) << fen;
        EXPECT_EQ(line->rfind("info string ", 0), 0u) << fen << ": " << *line;
        // Black is still to move after 1. e4.
        expectLegalBest(uci.go("go depth 1", game), game, fen);
    }
    // The replay stops before the illegal move; the move after it is not played either.
    RulesGame stopped;
    stopped.play("e2e4");
    stopped.play("e7e5");
    uci.send("position startpos moves e2e4 e7e5 e1e3 g1f3");
    const Answer answer = uci.go("go depth 1", stopped);
    EXPECT_EQ(answer.strings.size(), 1u);
    expectLegalBest(answer, stopped, "after e1e3");

    // A game of 1,500 plies: far past one line of the console, past one split of words and
    // past the old 1,024-key history; an illegal move near its end is still seen.
    RulesGame longGame;
    for (int round = 0; round < 374; ++round)
        for (const char* move : {"g1f3", "g8f6", "f3g1", "f6g8"}) longGame.play(move);
    for (const char* move : {"e2e4", "e7e5", "d2d4", "d7d5"}) longGame.play(move);
    ASSERT_EQ(longGame.moves().size(), 1500u);
    const std::string list = "position startpos moves " + joined(longGame.moves());
    uci.send(list);
    const Answer replayed = uci.go("go depth 2", longGame);
    EXPECT_TRUE(replayed.strings.empty());
    expectLegalBest(replayed, longGame, "long list");
    uci.send(list + " e4d5 e1e3");
    longGame.play("e4d5");
    const Answer cut = uci.go("go depth 1", longGame);
    EXPECT_EQ(cut.strings.size(), 1u);
    expectLegalBest(cut, longGame, "long list with an illegal move");

    // Past the history's room, or past the line's, no position is left: "go" says so and
    // answers no move rather than one for another game, until the next good "position".
    std::string tooLong = "position startpos moves";
    for (int round = 0; round < 4100; ++round) tooLong += " g1f3 g8f6 f3g1 f6g8";
    for (const std::string& line : {tooLong, tooLong + tooLong.substr(23)}) {
        uci.send(line);
        const auto refusal = uci.process().readLine(60s);
        ASSERT_TRUE(refusal);
        EXPECT_EQ(refusal->rfind("info string position not set: ", 0), 0u) << *refusal;
        const Answer none = uci.go("go depth 1", RulesGame());
        EXPECT_EQ(none.bestmove, "0000");
        EXPECT_EQ(none.strings.size(), 1u);
    }
    uci.send("position startpos");
    expectLegalBest(uci.go("go depth 1", RulesGame()), RulesGame(), "after a good position");
}

TEST(Uci, NodeAndMoveLimits) {
    Uci uci;
    RulesGame game;
    uci.send("setoption name OwnBook value false");
    uci.send("position startpos");
    const Answer answer = uci.go("go nodes 3000", game);
    expectLegalBest(answer, game, "nodes");
    for (const Info& info : answer.infos) EXPECT_LE(info.nodes, 3000);
    expectLegalBest(uci.go("go movetime 200", game), game, "movetime");
}

// A clock at its end or past it, no moves to go, an increment beyond the clock: a legal move,
// never a search that waits for "stop"; and a timed think never spends a clock it does not have.
TEST(Uci, EveryClockGetsALegalMoveWithinIt) {
    Uci uci;
    uci.send("setoption name OwnBook value false");
    uci.send("position startpos moves e2e4");
    RulesGame game;
    game.play("e2e4");
    const std::pair<const char*, long long> CLOCKS[] = {  // the go, and the clock to keep within (0: none)
        {"go btime -5 wtime -5", 0},
        {"go wtime 60000 btime 50", 0},
        {"go btime 1000 wtime 1000 movestogo 0", 1000},
        {"go btime 3000 wtime 3000 binc 100000 winc 100000", 3000},
        {"go btime 3000 wtime 3000 movestogo 1", 3000},
    };
    for (const auto& [go, clock] : CLOCKS) {
        const auto sent = std::chrono::steady_clock::now();
        uci.send(go);
        expectLegalBest(uci.answer(game, 20s), game, go);
        if (clock > 0) {
            EXPECT_LT(std::chrono::steady_clock::now() - sent, std::chrono::milliseconds(clock)) << go;
        }
    }
}

// The table size, line count and root restriction: refused values are said and change
// nothing; several lines come best first; searchmoves keeps the root to its legal moves.
TEST(Uci, OptionsLinesAndSearchMoves) {
    Uci uci;
    for (const char* option : {"option name Hash type spin default 32 min 1 max 65536", "option name Clear Hash type button",
                               "option name MultiPV type spin default 1 min 1 max 256",
                               "option name Move Overhead type spin default 30 min 0 max 5000"})
        EXPECT_NE(std::find(uci.handshake.begin(), uci.handshake.end(), option), uci.handshake.end()) << option;
    const char* const refused[] = {
        "setoption name Hash value 0",          "setoption name Hash value lots", "setoption name MultiPV value 257",
        "setoption name MultiPV value",         "setoption name OwnBook value maybe", "setoption name Threads value 0",
        "setoption name Threads value 257",     "setoption name Threads value two",
        "setoption name Move Overhead value 5001", "setoption name Move Overhead value -1",
        "setoption name Move Overhead value soon",
        "setoption name",                       "setoption value 3",
    };
    for (const char* line : refused) {
        uci.send(line);
        uci.send("isready");
        std::string passed;
        ASSERT_TRUE(uci.process().readUntil([](const std::string& text) { return text == "readyok"; }, &passed)) << line;
        EXPECT_EQ(passed.rfind("info string ", 0), 0u) << line << ": " << passed;
    }
    uci.send("setoption name OwnBook value false");
    uci.send("setoption name Hash value 1");
    uci.send("setoption name Clear Hash");
    uci.send("position startpos moves e2e4 e7e5");
    RulesGame game;
    game.play("e2e4");
    game.play("e7e5");
    const Answer single = uci.go("go depth 3", game);
    ASSERT_EQ(single.infos.size(), 3u) << "one line a depth: the refused MultiPV changed nothing";

    uci.send("setoption name multipv value 3");
    const Answer three = uci.go("go depth 3", game);
    ASSERT_EQ(three.infos.size(), 9u);
    for (std::size_t depth = 0; depth < 3; ++depth) {
        std::set<std::string> moves;
        for (std::size_t rank = 0; rank < 3; ++rank) {
            const Info& info = three.infos[depth * 3 + rank];
            EXPECT_EQ(info.multiPv, static_cast<int>(rank) + 1);
            ASSERT_FALSE(info.pv.empty());
            EXPECT_TRUE(game.isLegal(info.pv.front()));
            moves.insert(info.pv.front());
            if (rank > 0) {
                EXPECT_LE(info.score, three.infos[depth * 3 + rank - 1].score);
            }
        }
        EXPECT_EQ(moves.size(), 3u);
    }

    const std::set<std::string> listed = {"a2a3", "h2h3"};
    for (const char* lines : {"1", "2"}) {
        uci.send(std::string("setoption name MultiPV value ") + lines);
        const Answer restricted = uci.go("go depth 3 searchmoves a2a3 e2e5 h2h3 junk", game);
        EXPECT_EQ(restricted.infos.size(), 3u * std::stoul(lines));
        for (const Info& info : restricted.infos) EXPECT_EQ(listed.count(info.pv.at(0)), 1u) << info.pv.at(0);
        EXPECT_EQ(listed.count(restricted.bestmove), 1u) << restricted.bestmove;
    }
    // No legal move named: as if the list were absent.
    uci.send("setoption name MultiPV value 1");
    expectLegalBest(uci.go("go depth 2 searchmoves e2e5 a1a1", game), game, "no legal searchmoves");
}

// Two threads answer as one does: well-formed lines whose last best one starts with the move,
// MultiPV lines and searchmoves kept, "isready" answered and "stop" obeyed during a search;
// the option strings testing frameworks send are taken without a word.
TEST(Uci, TwoThreadsAnswerAsOne) {
    Uci uci;
    const char* const offered = "option name Threads type spin default 1 min 1 max 256";
    EXPECT_NE(std::find(uci.handshake.begin(), uci.handshake.end(), offered), uci.handshake.end());
    for (const char* option : {"setoption name Threads value 1", "setoption name Hash value 8",
                               "setoption name Threads value 2", "setoption name Hash value 16"}) {
        uci.send(option);
        uci.send("isready");
        EXPECT_EQ(uci.process().readLine(), "readyok") << option;
    }
    uci.send("setoption name OwnBook value false");
    uci.send("setoption name MultiPV value 2");
    const std::string kiwipete = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -";
    uci.send("position fen " + kiwipete + " 0 1");
    const RulesGame game(kiwipete);
    const Answer two = uci.go("go depth 6", game);
    expectLegalBest(two, game, "two threads, two lines");
    ASSERT_EQ(two.infos.size(), 12u);
    for (std::size_t depth = 0; depth < 6; ++depth) {
        const Info& best = two.infos[depth * 2];
        const Info& second = two.infos[depth * 2 + 1];
        EXPECT_EQ(best.multiPv, 1);
        EXPECT_EQ(second.multiPv, 2);
        ASSERT_FALSE(best.pv.empty() || second.pv.empty());
        EXPECT_NE(best.pv.front(), second.pv.front());
        EXPECT_LE(second.score, best.score);
        if (depth > 0) {
            EXPECT_GE(best.nodes, two.infos[depth * 2 - 2].nodes);
        }
    }
    uci.send("setoption name MultiPV value 1");
    const Answer restricted = uci.go("go depth 5 searchmoves a2a3 h2h3", game);
    EXPECT_TRUE(restricted.bestmove == "a2a3" || restricted.bestmove == "h2h3") << restricted.bestmove;
    for (const Info& info : restricted.infos) EXPECT_TRUE(info.pv.at(0) == "a2a3" || info.pv.at(0) == "h2h3");

    uci.send("go infinite");
    uci.send("isready");
    ASSERT_TRUE(uci.process().readUntil([](const std::string& line) { return line == "readyok"; }));
    uci.send("stop");
    expectLegalBest(uci.answer(game), game, "stopped");
}

// UCI_Chess960: castling read and written as the king taking its rook (refused in the two-square
// form), in go perft's list, position's moves, searchmoves and every line; off, the two-square
// form as always. Search, MultiPV, threads and a level in a Double-960 position.
TEST(Uci, Chess960CastlingTextPerftAndSearch) {
    Uci uci;
    const char* const offered = "option name UCI_Chess960 type check default false";
    EXPECT_NE(std::find(uci.handshake.begin(), uci.handshake.end(), offered), uci.handshake.end());
    uci.send("setoption name OwnBook value false");
    const std::string standard = "position fen r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1 moves ";
    const auto refusal = [&](const std::string& line) {
        uci.send(line);
        uci.send("isready");
        const std::optional<std::string> reply = uci.process().readLine();
        if (reply && *reply != "readyok") {
            EXPECT_EQ(uci.process().readLine(), "readyok");
        }
        return reply && *reply != "readyok" ? *reply : std::string();
    };
    EXPECT_EQ(refusal(standard + "e1h1"), "info string illegal move e1h1: the moves stop before it");
    EXPECT_EQ(refusal(standard + "e1g1 e8c8"), "");
    EXPECT_EQ(refusal("setoption name UCI_Chess960 value yes"), "info string UCI_Chess960 needs true or false, not \"yes\": unchanged");
    EXPECT_EQ(refusal("setoption name UCI_Chess960 value true"), "");
    EXPECT_EQ(refusal(standard + "e1g1"), "info string illegal move e1g1: the moves stop before it");
    EXPECT_EQ(refusal(standard + "e1h1 e8a8"), "");

    // White: king d1, rooks b1 and h1; Black: king e8, rooks a8 and g8.
    const std::string fen = "r3k1r1/pppppppp/8/8/8/8/PPPPPPPP/1R1K3R w HBga - 0 1";
    RulesGame game(fen.substr(0, fen.rfind(" 0 1")));
    frontend::chess960Notation = true;
    uci.send("position fen " + fen);
    uci.send("go perft 1");
    std::vector<std::string> listed;
    for (std::optional<std::string> line; (line = uci.process().readLine()) && !line->empty();)
        listed.push_back(line->substr(0, line->find(':')));
    EXPECT_EQ(uci.process().readLine(), "Nodes searched: " + std::to_string(game.legalMoves().size()));
    for (const char* castling : {"d1h1", "d1b1"})
        EXPECT_NE(std::find(listed.begin(), listed.end(), castling), listed.end()) << castling;
    std::vector<std::string> legal = game.legalMoves();
    std::sort(listed.begin(), listed.end());
    std::sort(legal.begin(), legal.end());
    EXPECT_EQ(listed, legal);

    game.play("d1h1");
    game.play("e8g8");
    frontend::chess960Notation = true;
    uci.send("position fen " + fen + " moves d1h1 e8g8");
    for (const char* option : {"Threads value 2", "MultiPV value 2"}) uci.send(std::string("setoption name ") + option);
    const Answer searched = uci.go("go depth 5 searchmoves f1f7 f1f8 c2c4", game);
    EXPECT_TRUE(searched.bestmove == "f1f7" || searched.bestmove == "c2c4") << searched.bestmove;
    ASSERT_FALSE(searched.infos.empty());
    for (const Info& info : searched.infos) EXPECT_TRUE(info.pv.at(0) == "f1f7" || info.pv.at(0) == "c2c4");
    for (const char* option : {"Threads value 1", "MultiPV value 1", "UCI_LimitStrength value true", "UCI_Elo value 1000"})
        uci.send(std::string("setoption name ") + option);
    uci.send("position fen " + fen);
    RulesGame start(fen.substr(0, fen.rfind(" 0 1")));
    frontend::chess960Notation = true;
    expectLegalBest(uci.go("go depth 3", start), start, "a level in Chess960");
}

// A machine that cannot start every thread asked for: the search goes on with those it has and
// says so once. A limit on the address space makes the threads' stacks fail past the first few.
TEST(Uci, ThreadsThatCannotStartAreReportedOnce) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizers reserve far more address space than the limit allows";
#endif
    Uci uci(false, {"/bin/sh", "-c", "ulimit -v 400000 && exec \"$0\"", MORVELLINE_BINARY});
    uci.send("setoption name OwnBook value false");
    uci.send("setoption name Threads value 256");
    uci.send("position startpos");
    const RulesGame game;
    const Answer first = uci.go("go depth 5", game);
    expectLegalBest(first, game, "short of threads");
    ASSERT_EQ(first.strings.size(), 1u);
    std::smatch started;
    ASSERT_TRUE(std::regex_match(first.strings[0], started,
                                 std::regex("info string only (\\d+) of 256 search threads could be started: "
                                            "searching with \\1")))
        << first.strings[0];
    EXPECT_GT(std::stoi(started[1]), 1) << "the threads that could start search";
    const Answer second = uci.go("go depth 5", game);
    expectLegalBest(second, game, "short of threads again");
    EXPECT_TRUE(second.strings.empty()) << "said once";
}

// UCI_LimitStrength and UCI_Elo: offered, bad values refused with an info string and the level
// unchanged (the search still stops at the low level's node budget, where depth 20 at full
// strength would take minutes), and a level off again searches to the depth asked.
TEST(Uci, StrengthOptionsAndRefusals) {
    Uci uci;
    RulesGame game;
    const auto offered = [&](const std::string& line) {
        return std::find(uci.handshake.begin(), uci.handshake.end(), line) != uci.handshake.end();
    };
    EXPECT_TRUE(offered("option name UCI_LimitStrength type check default false"));
    EXPECT_TRUE(offered("option name UCI_Elo type spin default 1400 min 800 max 1800"));
    uci.send("setoption name OwnBook value false");
    uci.send("setoption name UCI_Elo value 800");
    uci.send("setoption name UCI_LimitStrength value true");
    for (const char* bad : {"setoption name UCI_Elo value 1801", "setoption name UCI_Elo value 799",
                            "setoption name UCI_Elo value strong", "setoption name UCI_Elo value",
                            "setoption name UCI_LimitStrength value yes"})
        uci.send(bad);
    uci.send("position startpos");
    const Answer limited = uci.go("go depth 20", game);
    const std::vector<std::string> refusals = {
        "info string UCI_Elo needs a whole number from 800 to 1800, not \"1801\": unchanged",
        "info string UCI_Elo needs a whole number from 800 to 1800, not \"799\": unchanged",
        "info string UCI_Elo needs a whole number from 800 to 1800, not \"strong\": unchanged",
        "info string UCI_Elo needs a whole number from 800 to 1800, not \"\": unchanged",
        "info string UCI_LimitStrength needs true or false, not \"yes\": unchanged"};
    EXPECT_EQ(limited.strings, refusals);
    expectLegalBest(limited, game, "limited");
    ASSERT_FALSE(limited.infos.empty());
    EXPECT_LT(limited.infos.back().nodes, 20000) << "the level did not hold";
    EXPECT_LT(limited.infos.back().depth, 8);
    // A level's few nodes take a millisecond, but with time on the clock it does not answer
    // sooner than 100 ms: an instant reply feels like a machine. (A lower bound: a slow machine
    // only adds to it.)
    const auto asked = std::chrono::steady_clock::now();
    expectLegalBest(uci.go("go wtime 60000 btime 60000", game), game, "limited, on the clock");
    EXPECT_GE(std::chrono::steady_clock::now() - asked, std::chrono::milliseconds(100));
    uci.send("setoption name UCI_LimitStrength value false");
    const Answer full = uci.go("go depth 4", game);
    expectLegalBest(full, game, "full strength");
    ASSERT_FALSE(full.infos.empty());
    EXPECT_EQ(full.infos.back().depth, 4);
}

// A level plays a line of the last finished iteration, often not the best one reported; the
// line naming that move must carry the depth it was searched at, never beyond "go depth".
TEST(Uci, LevelsReportTheDepthOfTheLinePlayed) {
    Uci uci;
    uci.send("setoption name OwnBook value false");
    uci.send("setoption name UCI_Elo value 800");
    uci.send("setoption name UCI_LimitStrength value true");
    const char* const positions[] = {
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -",
        "r1bq1rk1/4bppp/p1np1n2/4p3/4PP2/1NN1B3/PPP1B1PP/R2Q1RK1 b - -",
        "r2q1rk1/pp2bppp/2n1pn2/3p4/3P4/2NBPN2/PP3PPP/R2Q1RK1 w - -"};
    int otherThanBest = 0;
    for (const char* fen : positions) {
        for (const int limit : {1, 2, 6}) {
            for (int repeat = 0; repeat < 4; ++repeat) {
                const std::string context = std::string(fen) + ", go depth " + std::to_string(limit);
                RulesGame game(fen);
                uci.send(std::string("position fen ") + fen + " 0 10");
                const Answer answer = uci.go("go depth " + std::to_string(limit), game);
                expectLegalBest(answer, game, context);
                ASSERT_FALSE(answer.infos.empty()) << context;
                for (const Info& info : answer.infos) EXPECT_LE(info.depth, limit) << context;
                // With one iteration, a second line is the one added for a move other than the
                // best: it must still say depth 1.
                if (limit == 1 && answer.infos.size() > 1) ++otherThanBest;
            }
        }
    }
    // The rule above is only tested where a line other than the best was played.
    EXPECT_GT(otherThanBest, 0);
}

// With the book, the start position is answered from it without a search, in one line that
// names the move; with the option off, also after "ucinewgame", the engine searches.
TEST(Uci, OwnBookOptionHoldsAcrossNewGames) {
    Uci uci(true);
    RulesGame game;
    uci.send("position startpos");
    const Answer fromBook = uci.go("go depth 3", game);
    ASSERT_EQ(fromBook.infos.size(), 1u) << "a book move needs no search";
    EXPECT_EQ(fromBook.infos[0].nodes, 0);
    ASSERT_EQ(fromBook.infos[0].pv.size(), 1u);
    EXPECT_EQ(fromBook.infos[0].pv[0], fromBook.bestmove);
    EXPECT_EQ(fromBook.strings, std::vector<std::string>{"info string book move"});
    uci.send("setoption name OwnBook value false");
    uci.send("ucinewgame");
    uci.send("position startpos");
    const Answer searched = uci.go("go depth 3", game);
    EXPECT_FALSE(searched.infos.empty()) << "the book stayed off after ucinewgame";
    expectLegalBest(searched, game, "book off");
}

// The same search in both protocols: the depth-4 line from the start after a new game,
// without the book (the directory holds none), has the same nodes, score and moves.
TEST(Uci, SameSearchAsXboardMode) {
    constexpr int DEPTH = 4;
    // The keys come from a clock-seeded generator; about one seed in a hundred makes two
    // positions share a table slot and changes the count, so a mismatch is retried.
    constexpr int ATTEMPTS = 3;
    std::string uciLine;
    std::string xboardLine;
    for (int attempt = 0; attempt < ATTEMPTS; ++attempt) {
        {
            Uci uci;
            RulesGame game;
            uci.send("setoption name OwnBook value false");
            uci.send("ucinewgame");
            uci.send("position startpos");
            const Answer answer = uci.go("go depth " + std::to_string(DEPTH), game);
            ASSERT_FALSE(answer.infos.empty());
            const Info& info = answer.infos.back();
            ASSERT_EQ(info.depth, DEPTH);
            ASSERT_FALSE(info.mate);
            uciLine = std::to_string(DEPTH) + " " + std::to_string(info.score) + " 0 " + std::to_string(info.nodes) +
                      " " + joined(info.pv);
        }
        {
            TemporaryDirectory directory;
            EngineProcess xboard(directory.path());
            // A clock of 1000 s lets the think run past depth 4; any line then ends it.
            for (const char* line : {"xboard", "new", "time 100000", "go"}) ASSERT_TRUE(xboard.writeLine(line));
            const std::string prefix = std::to_string(DEPTH) + " ";
            const auto thinking =
                xboard.readUntil([&](const std::string& line) { return line.rfind(prefix, 0) == 0; });
            ASSERT_TRUE(thinking);
            xboardLine = *thinking;
            xboard.writeLine("force");
            EXPECT_TRUE(xboard.readUntil([](const std::string& line) { return line.rfind("move ", 0) == 0; }));
            xboard.writeLine("quit");
            EXPECT_TRUE(xboard.waitExit(10s));
        }
        if (uciLine == xboardLine) break;
    }
    EXPECT_EQ(uciLine, xboardLine);
}

// "go perft N": every legal root move once with its leaves of depth N (published divide
// figures), an empty line, the total; no bestmove after it, and the book is not asked.
TEST(Uci, PerftDivide) {
    struct Row {
        std::string fen;  // empty: the start position
        int depth;
        std::size_t moves;
        long long total;
        std::vector<std::pair<std::string, long long>> known;
    };
    const std::string kiwipete = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -";
    const std::string promotions = "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ -";
    const Row rows[] = {
        {"", 3, 20, 8902,
         {{"a2a3", 380}, {"b2b3", 420}, {"c2c3", 420}, {"d2d3", 539}, {"e2e3", 599}, {"f2f3", 380}, {"g2g3", 420},
          {"h2h3", 380}, {"a2a4", 420}, {"b2b4", 421}, {"c2c4", 441}, {"d2d4", 560}, {"e2e4", 600}, {"f2f4", 401},
          {"g2g4", 421}, {"h2h4", 420}, {"b1a3", 400}, {"b1c3", 440}, {"g1f3", 440}, {"g1h3", 400}}},
        {"", 1, 20, 20, {{"e2e4", 1}, {"g1f3", 1}}},
        {"", 0, 0, 1, {}},
        {kiwipete, 2, 48, 2039, {}},
        {promotions, 1, 44, 44, {{"d7c8q", 1}, {"d7c8r", 1}, {"d7c8b", 1}, {"d7c8n", 1}, {"e1g1", 1}}},
    };
    Uci uci(true);
    for (const Row& row : rows) {
        const std::string context = (row.fen.empty() ? "startpos" : row.fen) + " depth " + std::to_string(row.depth);
        const RulesGame game(row.fen);
        uci.send(row.fen.empty() ? "position startpos" : "position fen " + row.fen + " 0 1");
        uci.send("go perft " + std::to_string(row.depth));
        std::vector<std::pair<std::string, long long>> lines;
        std::optional<std::string> line;
        while ((line = uci.process().readLine(60s)) && !line->empty()) {
            const std::size_t colon = line->find(": ");
            ASSERT_NE(colon, std::string::npos) << context << ": " << *line;
            const std::string count = line->substr(colon + 2);
            ASSERT_TRUE(isNumber(count, false)) << context << ": " << *line;
            lines.emplace_back(line->substr(0, colon), std::stoll(count));
        }
        ASSERT_TRUE(line) << context << ": no empty line";
        EXPECT_EQ(uci.process().readLine(60s), "Nodes searched: " + std::to_string(row.total)) << context;
        ASSERT_EQ(lines.size(), row.moves) << context;
        std::vector<std::string> moves;
        long long sum = 0;
        for (const auto& [move, leaves] : lines) {
            moves.push_back(move);
            sum += leaves;
        }
        EXPECT_EQ(sum, row.depth == 0 ? 0 : row.total) << context;
        std::vector<std::string> legal = game.legalMoves();
        std::sort(moves.begin(), moves.end());
        std::sort(legal.begin(), legal.end());
        if (row.depth > 0) {
            EXPECT_EQ(moves, legal) << context;
        }
        for (const auto& entry : row.known)
            EXPECT_NE(std::find(lines.begin(), lines.end(), entry), lines.end())
                << context << ": " << entry.first << ": " << entry.second;
        uci.send("isready");
        EXPECT_EQ(uci.process().readLine(10s), "readyok") << context << ": something after the total";
    }
    // The position is as it was: the book still answers the start position's first move.
    uci.send("position startpos");
    EXPECT_TRUE(RulesGame().isLegal(uci.go("go depth 1", RulesGame()).bestmove));
}

// A depth that is missing, no number, negative or past the per-ply lists: one info string, no count.
TEST(Uci, PerftRefusesBadDepths) {
    Uci uci;
    uci.send("position startpos");
    for (const char* command : {"go perft", "go perft x", "go perft -1", "go perft 31", "go perft 99999999999"}) {
        uci.send(command);
        const auto line = uci.process().readLine(10s);
        ASSERT_TRUE(line) << command;
        EXPECT_EQ(line->rfind("info string ", 0), 0u) << command << ": " << *line;
        uci.send("isready");
        EXPECT_EQ(uci.process().readLine(10s), "readyok") << command;
    }
}

// A position no game reaches (a pawn on the first or last rank, the side not to move in check)
// is refused as a broken one is, but leaves no position: "go" answers no move until a good one.
TEST(Uci, UnplayablePositionsLeaveNoPosition) {
    Uci uci;
    for (const char* fen : {"4k2P/8/8/8/8/8/8/4K3 w - - 0 1", "4k3/8/8/8/8/8/8/p3K3 b - - 0 1",
                            "4k3/8/8/8/8/8/8/4R1K1 w - - 0 1"}) {
        uci.send(std::string("position fen ") + fen);
        const auto line = uci.process().readLine(10s);
        ASSERT_TRUE(line) << fen;
        EXPECT_EQ(line->rfind("info string position not set: ", 0), 0u) << fen << ": " << *line;
        EXPECT_EQ(uci.go("go depth 1", RulesGame()).bestmove, "0000") << fen;
    }
    const RulesGame game("4k3/8/8/8/8/8/8/4R1K1 b - -");
    uci.send("position fen 4k3/8/8/8/8/8/8/4R1K1 b - - 0 1");
    expectLegalBest(uci.go("go depth 1", game), game, "the same board with the checked side to move");
}

// One process analysing a game move after move, as an analysis window does, without a new
// game between: the table keeps what the earlier searches stored, and the printed lines still
// reach their depth, continued from the table where the search's own row is cut. Every move
// of every line is legal after the ones before it (checked in answer()).
TEST(Uci, LinesReachTheirDepthInALongAnalysis) {
    Uci uci;
    uci.send("setoption name OwnBook value false");
    // Morphy's game at the Paris opera, 1858.
    const std::vector<std::string> OPERA = {
        "e2e4", "e7e5", "g1f3", "d7d6", "d2d4", "c8g4", "d4e5", "g4f3", "d1f3", "d6e5", "f1c4",
        "g8f6", "f3b3", "d8e7", "b1c3", "c7c6", "c1g5", "b7b5", "c3b5", "c6b5", "c4b5", "b8d7",
        "e1c1", "a8d8", "d1d7", "d8d7", "h1d1", "e7e6", "b5d7", "f6d7", "b3b8", "d7b8", "d1d8"};
    constexpr int DEPTH = 6;
    int counted = 0;
    int belowDepth = 0;
    // Lines shorter than this (or than their depth) read as broken.
    constexpr std::size_t SHORT = 4;
    int veryShort = 0;
    std::string shortLines;
    RulesGame game;
    std::string moves;
    for (std::size_t ply = 0; ply + 1 < OPERA.size(); ++ply) {
        // Every other position with two lines: each multipv line is continued too.
        uci.send("setoption name MultiPV value " + std::string(ply % 2 ? "2" : "1"));
        uci.send("position startpos" + (moves.empty() ? "" : " moves" + moves));
        const Answer answer = uci.go("go depth " + std::to_string(DEPTH), game);
        expectLegalBest(answer, game, moves);
        for (const Info& info : answer.infos) {
            // A mate ends the line where the game ends.
            if (info.depth < 2 || info.mate) continue;
            ++counted;
            if (static_cast<int>(info.pv.size()) >= info.depth) continue;
            ++belowDepth;
            if (info.pv.size() < std::min<std::size_t>(info.depth, SHORT)) ++veryShort;
            shortLines += "after" + moves + ": depth " + std::to_string(info.depth) + " " + joined(info.pv) + "\n";
        }
        game.play(OPERA[ply]);
        moves += " " + OPERA[ply];
    }
    ASSERT_GT(counted, 150);
    // A slot can be taken by another position or never written (a node that found no move
    // better than its bound stores none): a few lines end early, but seldom and never short.
    EXPECT_LE(belowDepth * 10, counted) << belowDepth << " of " << counted << " lines end before their depth:\n"
                                        << shortLines;
    EXPECT_LE(veryShort * 20, counted) << shortLines;
}

// A line ends with the move that repeats a position for the third time, also when an earlier
// occurrence still carried the file of a pawn that had just moved two squares (no capture of it
// was possible there, so the rules count the positions as one).
TEST(Uci, LinesEndAtAThreefoldRepetition) {
    const struct {
        const char* fen;
        const char* moves;
        const char* repeating;
    } SHUFFLES[] = {
        {"r6k/8/8/8/8/8/6P1/7K w - - 0 1", "g2g4 a8d8 h1g2 d8d2 g2h1 d2d8 h1g2 d8d2 g2h1", "d2d8"},
        {"7k/6p1/8/8/8/8/8/R6K b - - 0 1", "g7g5 a1d1 h8g7 d1d7 g7h8 d7d1 h8g7 d1d7 g7h8", "d7d1"},
        {"r6k/8/8/8/8/8/6P1/7K w - - 0 1", "g2g3 a8d8 h1g2 d8d2 g2h1 d2d8 h1g2 d8d2 g2h1", "d2d8"},
    };
    Uci uci;
    uci.send("setoption name OwnBook value false");
    for (const auto& shuffle : SHUFFLES) {
        RulesGame game(shuffle.fen);
        std::istringstream moves(shuffle.moves);
        for (std::string move; moves >> move;) game.play(move);
        uci.send(std::string("position fen ") + shuffle.fen + " moves " + shuffle.moves);
        const Answer answer = uci.go(std::string("go depth 4 searchmoves ") + shuffle.repeating, game);
        EXPECT_EQ(answer.bestmove, shuffle.repeating) << shuffle.moves;
        ASSERT_EQ(answer.infos.size(), 4u) << shuffle.moves;
        for (const Info& info : answer.infos)
            EXPECT_EQ(joined(info.pv), shuffle.repeating) << shuffle.moves << ": depth " << info.depth;
    }
}

// "go mate N" ends with the mate's score line and its move; a number it cannot use is said
// and the search runs as without it. "info currmove" comes only once a search has run three
// seconds, for every root move, numbered from 1 as searched.
TEST(Uci, GoMateAndCurrentMove) {
    Uci uci(true);
    // 1. Ra6 bxa6 2. b7 mate (1... Bc7 or any other 2. Rxa7 mate).
    const std::string MATE_IN_TWO = "kbK5/pp6/1P6/8/8/8/8/R7 w - -";
    const struct {
        std::string go;
        bool refused;
    } REQUESTS[] = {
        {"go mate 2", false},    {"go mate 10", false}, {"go mate", true},       {"go mate 0", true},
        {"go mate -1", true},    {"go mate 11", true},  {"go mate x", true},     {"go depth 2 mate 2", true},
        {"go mate 2 depth 3", false},
    };
    for (const auto& request : REQUESTS) {
        RulesGame game(MATE_IN_TWO);
        uci.send("position fen " + MATE_IN_TWO + " 0 1");
        const Answer answer = uci.go(request.go, game);
        ASSERT_EQ(answer.strings.size(), request.refused ? 1u : 0u) << request.go;
        if (request.refused) {
            EXPECT_EQ(answer.strings[0].rfind("info string go mate needs a number of moves from 1 to ", 0), 0u)
                << answer.strings[0];
        }
        ASSERT_FALSE(answer.infos.empty()) << request.go;
        EXPECT_TRUE(answer.currentMoves.empty()) << request.go << ": a short search names no root move";
        // Searched either way; where the limit allows, to the mate.
        if (request.go.find("depth 2") != std::string::npos) continue;
        EXPECT_TRUE(answer.infos.back().mate && answer.infos.back().score == 2) << request.go;
        EXPECT_EQ(answer.bestmove, "a1a6") << request.go;
    }
    // The book has moves for the start position; a mate search searches all the same.
    RulesGame start;
    uci.send("position startpos");
    const Answer fromStart = uci.go("go mate 1 depth 3", start);
    EXPECT_TRUE(fromStart.strings.empty());
    EXPECT_EQ(fromStart.infos.back().depth, 3);

    // A long search: root moves are named from the third second on, numbered as searched
    // (each iteration from 1, up by one), never past the count of legal moves.
    // Few pieces: the iterations are short, so root moves start often once three seconds are up.
    const std::string ENDGAME = "8/5k2/8/3R4/8/8/5PPP/6K1 w - -";
    RulesGame game(ENDGAME);
    const int legalCount = static_cast<int>(game.legalMoves().size());
    uci.send("position fen " + ENDGAME + " 0 1");
    const auto sent = std::chrono::steady_clock::now();
    uci.send("go infinite");
    std::vector<int> numbers;
    std::string lines;
    const auto enough = uci.process().readUntil(
        [&](const std::string& line) {
            std::istringstream words(line);
            std::string info, label, move, numberLabel;
            int number = 0;
            if (!(words >> info >> label >> move >> numberLabel >> number) || label != "currmove") return false;
            if (numbers.empty()) {
                EXPECT_GE(std::chrono::steady_clock::now() - sent, 3s) << line;
            }
            EXPECT_TRUE(game.isLegal(move) && numberLabel == "currmovenumber") << line;
            EXPECT_TRUE(number >= 1 && number <= legalCount) << line;
            EXPECT_TRUE(number == 1 || numbers.empty() || number == numbers.back() + 1) << line;
            numbers.push_back(number);
            return numbers.size() == 4;
        },
        &lines, 90s);
    EXPECT_TRUE(enough.has_value()) << lines;
    uci.send("stop");
    const Answer answer = uci.answer(game);
    expectLegalBest(answer, game, "after currmove");
    uci.send("quit");
}
