// The program over pipes, driven as a first-version xboard interface drives it: whole games
// against a random mover, bad lines, clocks, signals and repetition claims, every reply checked.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <ostream>
#include <random>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "engine_process.h"

namespace {

using testing_support::EngineProcess;
using testing_support::RulesGame;
using testing_support::TemporaryDirectory;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Long enough for the sanitizer build on a busy machine; a hang still fails the test.
constexpr milliseconds REPLY_TIMEOUT{30000};
// What a slow machine may add to a think's budget: the pipe, and the nodes between clock checks.
constexpr milliseconds BUDGET_MARGIN{1000};
constexpr int MOVES_PER_CONTROL = 40;
constexpr int MAX_DEPTH = 20;
constexpr long long MATE_SCORE = 1000000;
// The second version's mate: 100000 + N mating in N moves, -100000 - N mated in N.
constexpr long long XBOARD_MATE = 100000;
constexpr int RESIGN_BELOW_CENTISECONDS = 5;

// The claim has no line end of its own; the repetition note after it supplies one.
const std::string CLAIM_LINE = "RESULT 1/2-1/2 {Morvelline saw Draw by repetition}Draw by repetition";
const std::string DRAW_NOTE = "Draw by repetition";

std::vector<std::string> wordsOf(const std::string& text) {
    std::istringstream stream(text);
    std::vector<std::string> words;
    for (std::string word; stream >> word;) words.push_back(word);
    return words;
}

bool isNumber(const std::string& text, bool signedNumber = false) {
    const std::size_t digits = signedNumber && !text.empty() && text[0] == '-' ? 1 : 0;
    return text.size() > digits && text.find_first_not_of("0123456789", digits) == std::string::npos;
}

bool isCoordinateMove(const std::string& text) {
    return text.size() == 4 && text[0] >= 'a' && text[0] <= 'h' && text[1] >= '1' && text[1] <= '8' &&
           text[2] >= 'a' && text[2] <= 'h' && text[3] >= '1' && text[3] <= '8';
}

// "move " and six characters: the move, a promotion letter or a space, and a space.
bool parseMoveLine(const std::string& line, std::string& move) {
    if (line.size() != 11 || line.compare(0, 5, "move ") != 0 || line[10] != ' ') return false;
    if (!isCoordinateMove(line.substr(5, 4)) || std::string("qrbn ").find(line[9]) == std::string::npos) return false;
    move = line.substr(5, line[9] == ' ' ? 4 : 5);
    return true;
}

struct Thinking {
    long long depth, score, nodes;
    std::vector<std::string> line;
};

// Depth, score, a zero time and the node count, then the variation, one space between fields.
bool parseThinking(const std::string& text, Thinking& thinking) {
    const std::vector<std::string> words = wordsOf(text);
    if (words.size() < 4 || !isNumber(words[0]) || !isNumber(words[1], true) || words[2] != "0" ||
        !isNumber(words[3]) || words[0].size() > 2 || words[1].size() > 8 || words[3].size() > 15)
        return false;
    std::string rebuilt;
    for (const std::string& word : words) rebuilt += (rebuilt.empty() ? "" : " ") + word;
    if (rebuilt != text) return false;
    thinking = {std::stoll(words[0]), std::stoll(words[1]), std::stoll(words[3]), {words.begin() + 4, words.end()}};
    for (const std::string& move : thinking.line)
        if (!isCoordinateMove(move)) return false;
    return true;
}

// A thirtieth of the clock, centiseconds in, milliseconds out.
milliseconds budgetFor(int centiseconds) { return milliseconds(centiseconds * 10 / 30); }

enum class Answer { NONE, MOVE, RESIGN, CLAIM };

std::ostream& operator<<(std::ostream& out, Answer answer) {
    static constexpr const char* NAMES[] = {"no answer", "move", "resign", "repetition claim"};
    return out << NAMES[static_cast<int>(answer)];
}

struct Turn {
    Answer answer = Answer::NONE;
    std::string move;  // with its promotion letter, as the rules write it
    int thinkingLines = 0;
    bool depthRepeated = false;  // a line added to name the move played
    milliseconds elapsed{0};
};

class Session {
public:
    explicit Session(const std::string& directory) : engine(directory) {}

    void send(const std::string& line) { EXPECT_TRUE(engine.writeLine(line)) << line; }

    void expectLine(const std::string& expected) {
        const auto line = engine.readLine(REPLY_TIMEOUT);
        ASSERT_TRUE(line.has_value()) << "waiting for \"" << expected << "\"";
        EXPECT_EQ(*line, expected);
    }

    // Protocol entry and what the interface sends before a game; none of it is answered.
    void start(bool interrupt = false) {
        send("xboard");
        expectLine("");
        if (interrupt) engine.sendSignal(SIGINT);
        for (const char* line : {"new", "random", "level 40 0:20 0", "post", "hard", "easy"}) send(line);
        send("force");
        send("computer");
        expectNothingYet();
    }

    // Nothing has been printed: an unknown word's reply is the next line.
    void expectNothingYet() {
        send("hello");
        expectLine("Error (unknown command): hello");
    }

    // Sends the lines of a turn, the last of which starts the think, and reads the answer.
    Turn turn(const RulesGame& game, const std::vector<std::string>& lines, bool interruptWhileThinking = false) {
        for (std::size_t index = 0; index + 1 < lines.size(); ++index) send(lines[index]);
        const Clock::time_point sent = Clock::now();
        send(lines.back());
        if (interruptWhileThinking && engine.lineWithin(REPLY_TIMEOUT)) engine.sendSignal(SIGINT);
        return answer(game, sent);
    }

    // Reads thinking lines up to the answer, checking each against the position being thought about.
    Turn answer(const RulesGame& game, Clock::time_point sent) {
        Turn result;
        long long lastDepth = 0;
        long long lastNodes = 0;
        std::string lastFirstMove;
        bool depthRepeated = false;
        for (;;) {
            const auto line = engine.readLine(REPLY_TIMEOUT);
            if (!line) {
                ADD_FAILURE() << "no answer within the timeout";
                return result;
            }
            Thinking thinking;
            if (parseThinking(*line, thinking)) {
                // One line more may name the move played, at the depth of the line it was chosen from.
                EXPECT_TRUE(thinking.depth == lastDepth + 1 || (thinking.depth == lastDepth && !depthRepeated)) << *line;
                depthRepeated = depthRepeated || thinking.depth == lastDepth;
                result.depthRepeated = depthRepeated;
                lastFirstMove = thinking.line.empty() ? "" : thinking.line.front();
                EXPECT_LE(thinking.depth, MAX_DEPTH) << *line;
                EXPECT_GE(thinking.nodes, lastNodes) << *line;
                EXPECT_LE(std::llabs(thinking.score), MATE_SCORE) << *line;
                EXPECT_TRUE(game.lineIsLegal(thinking.line)) << *line << " after" << ::testing::PrintToString(game.moves());
                lastDepth = thinking.depth;
                lastNodes = thinking.nodes;
                ++result.thinkingLines;
                continue;
            }
            result.elapsed = std::chrono::duration_cast<milliseconds>(Clock::now() - sent);
            if (parseMoveLine(*line, result.move)) {
                result.answer = Answer::MOVE;
                // The last line names the move played (no promotion letter in thinking lines).
                if (result.thinkingLines > 0) {
                    EXPECT_EQ(lastFirstMove, result.move.substr(0, 4)) << "the last line does not name the move";
                }
            } else if (*line == "resign") {
                result.answer = Answer::RESIGN;
            } else if (*line == CLAIM_LINE) {
                result.answer = Answer::CLAIM;
            } else {
                ADD_FAILURE() << "unexpected line: \"" << *line << "\"";
            }
            return result;
        }
    }

    // Plays the engine's move in the rules' game; true when the game goes on.
    bool play(RulesGame& game, const Turn& turn) {
        EXPECT_EQ(turn.answer, Answer::MOVE);
        if (turn.answer != Answer::MOVE) return false;
        EXPECT_TRUE(game.isLegal(turn.move)) << turn.move << " after" << ::testing::PrintToString(game.moves());
        if (!game.isLegal(turn.move)) return false;
        game.play(turn.move);
        // A move that repeats a position the third time is announced right after it.
        if (game.occurrences() >= 3) {
            expectLine(DRAW_NOTE);
            return false;
        }
        return true;
    }

    // "quit" ends the program with nothing more said.
    void finish() {
        send("quit");
        const auto stray = engine.readLine(REPLY_TIMEOUT);
        EXPECT_FALSE(stray.has_value()) << *stray;
        const auto status = engine.waitExit(REPLY_TIMEOUT);
        ASSERT_TRUE(status.has_value());
        EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << *status;
    }

    EngineProcess engine;
};

struct Match {
    bool engineWhite;
    unsigned seed;
    int clock;  // centiseconds per 40 moves, a repeating control
    std::size_t plyCap;
    bool interrupt;  // as the real interface does: SIGINT before every turn after the first, some while thinking
};

// One game against a random legal mover, with the shipped book; returns how it ended.
std::string playMatch(const Match& match) {
    Session session(MORVELLINE_SOURCE_DIR);
    session.start(match.interrupt);
    RulesGame game;
    std::mt19937 random(match.seed);
    int engineClock = match.clock;
    int engineMoves = 0;
    std::string opponentMove;
    std::string ending = "move cap";
    while (game.moves().size() < match.plyCap) {
        const bool whiteToMove = game.moves().size() % 2 == 0;
        const std::vector<std::string> legal = game.legalMoves();
        if (whiteToMove != match.engineWhite) {
            if (game.over()) {
                ending = !legal.empty() ? "draw by rule" : game.inCheck() ? "random side mated" : "stalemate";
                break;
            }
            opponentMove = legal[random() % legal.size()];
            game.play(opponentMove);
            continue;
        }
        if ((legal.empty() && !game.inCheck()) || game.fiftyMoves()) {
            ending = "draw by rule";
            break;
        }
        std::vector<std::string> lines;
        const bool first = engineMoves == 0;
        if (match.interrupt && !first) session.engine.sendSignal(SIGINT);
        if (first && match.engineWhite) lines.push_back("black");
        lines.push_back("time " + std::to_string(engineClock));
        lines.push_back("otim " + std::to_string(match.clock));
        if (!opponentMove.empty()) lines.push_back(opponentMove);
        if (first) {
            lines.push_back(match.engineWhite ? "white" : "black");
            lines.push_back("go");
        }
        opponentMove.clear();
        const Turn turn = session.turn(game, lines, match.interrupt && engineMoves % 3 == 1);
        EXPECT_LE(turn.elapsed, budgetFor(engineClock) + BUDGET_MARGIN) << "clock " << engineClock;
        if (turn.answer == Answer::RESIGN) {
            EXPECT_TRUE((legal.empty() && game.inCheck()) || engineClock < RESIGN_BELOW_CENTISECONDS)
                << "resigned after" << ::testing::PrintToString(game.moves());
            ending = "engine resigned with " + std::to_string(engineClock) + " cs";
            break;
        }
        if (turn.answer == Answer::CLAIM) {
            EXPECT_GE(game.occurrences(), 3) << "false claim after" << ::testing::PrintToString(game.moves());
            ending = "engine claimed a repetition";
            break;
        }
        if (!session.play(game, turn)) {
            ending = "engine's move repeated a position";
            break;
        }
        engineClock -= static_cast<int>(turn.elapsed.count() / 10);
        if (++engineMoves % MOVES_PER_CONTROL == 0) engineClock += match.clock;
    }
    session.finish();
    return ending + " after " + std::to_string(game.moves().size()) + " plies";
}

TEST(XboardProtocol, CompleteGamesAgainstARandomMover) {
    for (const Match& match : {Match{true, 11, 1000, 200, false}, Match{false, 29, 1000, 200, false}})
        std::printf("engine %s: %s\n", match.engineWhite ? "white" : "black", playMatch(match).c_str());
}

TEST(XboardProtocol, ShortClockGameKeepsToItsBudget) {
    // Five seconds per 40 moves: a think may take at most 166 ms; playMatch asserts the bound.
    std::printf("%s\n", playMatch({true, 47, 500, 120, false}).c_str());
}

TEST(XboardProtocol, SigintIgnoredFromXboardOnEndsTheConsole) {
    std::printf("%s\n", playMatch({false, 83, 300, 120, true}).c_str());

    TemporaryDirectory directory;
    EngineProcess console(directory.path());
    // An answer shows the console loop is running (each command's answer is flushed).
    ASSERT_TRUE(console.writeLine("hash"));
    ASSERT_TRUE(console.lineWithin(REPLY_TIMEOUT));
    console.sendSignal(SIGINT);
    const auto status = console.waitExit(REPLY_TIMEOUT);
    ASSERT_TRUE(status.has_value());
    EXPECT_TRUE(WIFSIGNALED(*status) && WTERMSIG(*status) == SIGINT) << *status;
}

TEST(XboardProtocol, LowClockAndMateResign) {
    TemporaryDirectory noBook;
    Session session(noBook.path());
    session.start();
    RulesGame game;
    // Below five centiseconds the engine resigns without searching, and keeps resigning,
    // whatever clock follows, until the next game.
    Turn turn = session.turn(game, {"time 4", "otim 100", "go"});
    EXPECT_EQ(turn.answer, Answer::RESIGN);
    turn = session.turn(game, {"time 1000", "go"});
    EXPECT_EQ(turn.answer, Answer::RESIGN);
    EXPECT_EQ(turn.thinkingLines, 0);

    game = RulesGame();
    EXPECT_TRUE(session.play(game, session.turn(game, {"new", "time 1000", "otim 1000", "go"})));

    // Checkmated: resign, and no move.
    game = RulesGame();
    for (const char* move : {"f2f3", "e7e5", "g2g4", "d8h4"}) game.play(move);
    ASSERT_TRUE(game.legalMoves().empty() && game.inCheck());
    EXPECT_EQ(session.turn(game, {"new", "force", "f2f3", "e7e5", "g2g4", "d8h4", "time 1000", "go"}).answer,
              Answer::RESIGN);
    session.finish();
}

TEST(XboardProtocol, BadLinesAreAnsweredAndTheGameGoesOn) {
    TemporaryDirectory noBook;
    Session session(noBook.path());
    session.start();
    const struct {
        const char* line;
        const char* reply;
    } BAD_LINES[] = {
        {"hello", "Error (unknown command): hello"},
        {"e2", "Error (unknown command): e2"},
        {"e3e4", "Illegal move: e3e4"},  // nothing stands on e3
        {"i2i4", "Illegal move: i2i4"},  // off the board
    };
    for (const auto& bad : BAD_LINES) {
        session.send(bad.line);
        session.expectLine(bad.reply);
    }
    RulesGame game;
    game.play("e2e4");
    // A clock line without a usable number is ignored: the think keeps the budget of the last good one.
    Turn turn = session.turn(game, {"time 1500", "otim 1500", "time", "time soon", "e2e4", "go"});
    EXPECT_GE(turn.thinkingLines, 1);
    EXPECT_LE(turn.elapsed, budgetFor(1500) + BUDGET_MARGIN);
    ASSERT_TRUE(session.play(game, turn));

    std::mt19937 random(5);
    for (int round = 0; round < 3; ++round) {
        for (const auto& bad : BAD_LINES) {
            session.send(bad.line);
            session.expectLine(bad.reply);
        }
        const std::vector<std::string> legal = game.legalMoves();
        const std::string move = legal[random() % legal.size()];
        game.play(move);
        turn = session.turn(game, {"time 600", "otim 600", move});
        EXPECT_GE(turn.thinkingLines, 1);
        ASSERT_TRUE(session.play(game, turn));
    }
    session.finish();
}

TEST(XboardProtocol, EndOfInputEndsTheProgram) {
    TemporaryDirectory noBook;
    for (const bool thinking : {false, true}) {
        Session session(noBook.path());
        session.start();
        RulesGame game;
        if (thinking) {
            // A budget of minutes: only the closed input can end this think.
            session.send("time 1000000");
            session.send("go");
            session.engine.closeInput();
            const Turn turn = session.answer(game, Clock::now());
            EXPECT_TRUE(session.play(game, turn));
        } else {
            session.send("e2e4");
            session.engine.closeInput();
        }
        const auto status = session.engine.waitExit(REPLY_TIMEOUT);
        ASSERT_TRUE(status.has_value()) << "still running after the end of input";
        EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << *status;
    }
}

TEST(XboardProtocol, RepetitionClaimOnlyAtAThreefoldRepetition) {
    const std::vector<std::string> KNIGHTS = {"g1f3", "g8f6", "f3g1", "f6g8"};
    const std::vector<std::string> KINGS = {"e1e2", "e8e7", "e2e1", "e7e8"};
    const auto line = [](std::vector<std::string> opening, const std::vector<std::string>& cycle, int times) {
        for (int round = 0; round < times; ++round) opening.insert(opening.end(), cycle.begin(), cycle.end());
        return opening;
    };
    std::vector<std::string> blackToMove = line({}, KNIGHTS, 2);
    blackToMove.push_back("g1f3");
    const struct {
        const char* what;
        std::vector<std::string> moves;
        int occurrences;
    } CASES[] = {
        {"start position the second time", line({}, KNIGHTS, 1), 2},
        {"start position the third time", line({}, KNIGHTS, 2), 3},
        {"third time with black to move", blackToMove, 3},
        // The same placement three times, but the first time both sides could still castle.
        {"castling rights lost in between", line({"e2e4", "e7e5"}, KINGS, 2), 2},
        // The same placement three times, but the first time exd6 en passant was possible.
        {"en passant possible the first time", line({"e2e4", "a7a6", "e4e5", "d7d5"}, KNIGHTS, 2), 2},
    };
    TemporaryDirectory noBook;
    Session session(noBook.path());
    session.start();
    for (const auto& scenario : CASES) {
        SCOPED_TRACE(scenario.what);
        RulesGame game;
        std::vector<std::string> lines = {"new", "force"};
        for (const std::string& move : scenario.moves) {
            game.play(move);
            lines.push_back(move);
        }
        ASSERT_EQ(game.occurrences(), scenario.occurrences);
        for (const char* clock : {"time 300", "otim 300", "go"}) lines.push_back(clock);
        const Turn turn = session.turn(game, lines);
        if (scenario.occurrences >= 3)
            EXPECT_EQ(turn.answer, Answer::CLAIM);
        else
            session.play(game, turn);
    }
    session.finish();
}

// Typed moves are checked against the rules in protocol mode too, and a game goes on far past
// the 1,024 keys the history once held: 1,496 plies of knight shuffles, then real play.
TEST(XboardProtocol, LegalMovesOnlyAndGamesPastTheOldHistory) {
    TemporaryDirectory noBook;
    Session session(noBook.path());
    session.start();
    session.send("e2e5");
    session.expectLine("Illegal move: e2e5");
    session.send("d7d5");
    session.expectLine("Illegal move: d7d5");
    RulesGame game;
    for (int round = 0; round < 374; ++round) {
        for (const char* move : {"g1f3", "g8f6", "f3g1", "f6g8"}) {
            session.send(move);
            game.play(move);
        }
    }
    session.send("e2e4");
    game.play("e2e4");
    std::mt19937 random(1500);
    ASSERT_TRUE(session.play(game, session.turn(game, {"time 1000", "otim 1000", "go"})));
    for (int turn = 0; turn < 12 && !game.over(); ++turn) {
        const std::vector<std::string> legal = game.legalMoves();
        const std::string move = legal[random() % legal.size()];
        game.play(move);
        if (game.over()) break;
        if (!session.play(game, session.turn(game, {"time 1000", "otim 1000", move}))) break;
    }
    EXPECT_GT(game.moves().size(), 1500u);
    session.finish();
}

// The game after a take-back, rebuilt from the moves left.
RulesGame withoutLast(const RulesGame& game, std::size_t count) {
    const std::vector<std::string> moves(game.moves().begin(), game.moves().end() - static_cast<long>(count));
    RulesGame rebuilt;
    for (const std::string& move : moves) rebuilt.play(move);
    return rebuilt;
}

std::string randomMove(const RulesGame& game, std::mt19937& random) {
    const std::vector<std::string> legal = game.legalMoves();
    return legal[random() % legal.size()];
}

// xboard's own traffic for a person playing White: after "new" the engine plays Black and
// answers each move at once, with no "go"; "remove" takes back a move pair and "undo" one.
TEST(XboardTraffic, PersonAgainstTheEngineWithTakeBacks) {
    TemporaryDirectory noBook;
    Session session(noBook.path());
    session.send("xboard");
    session.expectLine("");
    for (const char* line : {"new", "level 40 5 0", "post", "hard", "easy"}) session.send(line);
    session.send("undo");
    session.expectLine("Error (no move to take back): undo");
    RulesGame game;
    std::mt19937 random(41);
    for (int turn = 0; turn < 4; ++turn) {
        const std::string move = randomMove(game, random);
        game.play(move);
        ASSERT_TRUE(session.play(game, session.turn(game, {"time 300", "otim 300", move})));
        if (turn == 1) {
            // The person takes back a move pair and plays on from there; the engine still plays Black.
            session.send("remove");
            game = withoutLast(game, 2);
        }
    }
    // In force mode nothing is answered; "undo" takes one move back and "go" plays the side on move.
    session.send("force");
    const std::string move = randomMove(game, random);
    session.send(move);
    session.expectNothingYet();
    session.send("undo");
    session.send("undo");
    game = withoutLast(game, 1);
    ASSERT_TRUE(session.play(game, session.turn(game, {"time 300", "go"})));
    for (const char* line : {"result 1-0 {xboard exit}", "force"}) session.send(line);
    session.expectNothingYet();
    session.finish();
}

// GNOME Chess: no "new", no "time", no "level"; its levels are "sd"; each turn is "force",
// the person's move, "go". Every engine move is searched (a thinking line comes first) and
// only "go" starts it.
TEST(XboardTraffic, GnomeChessForceMoveGo) {
    TemporaryDirectory noBook;
    for (const bool engineWhite : {true, false}) {
        SCOPED_TRACE(engineWhite ? "engine White, easy" : "engine Black, hard then normal");
        Session session(noBook.path());
        session.send("xboard");
        session.expectLine("");
        session.send("random");
        session.send(engineWhite ? "easy" : "hard");
        if (engineWhite) session.send("sd 1");
        RulesGame game;
        std::mt19937 random(engineWhite ? 7 : 8);
        for (int turn = 0; turn < 3; ++turn) {
            if (!engineWhite || turn > 0) {
                const std::string move = randomMove(game, random);
                game.play(move);
                session.send("force");
                session.send(move);
                session.expectNothingYet();
            }
            // Without a clock a think has a few seconds; "sd 1" leaves one iteration.
            const Turn reply = session.turn(game, {"go"});
            EXPECT_GE(reply.thinkingLines, 1);
            if (engineWhite) {
                EXPECT_EQ(reply.thinkingLines, 1);
            } else if (turn == 0) {
                EXPECT_LE(reply.elapsed, milliseconds(3000) + BUDGET_MARGIN);
            }
            ASSERT_TRUE(session.play(game, reply));
            if (!engineWhite && turn == 0) session.send("sd 2");
        }
        session.finish();
    }
}

// PyChess speaking the first version: each turn the position comes over in edit mode, then
// the move, "black" and "go". Bad edit lines are refused and ignored; a board without a king
// each is refused at "." and the position before it stays.
TEST(XboardTraffic, PyChessEditHandOver) {
    TemporaryDirectory noBook;
    Session session(noBook.path());
    session.send("xboard");
    session.expectLine("");
    for (const char* line : {"new", "post", "hard", "level 0 5 0", "time 300", "otim 300", "force", "force"})
        session.send(line);
    RulesGame game("rnbqkb1r/ppp1pppp/5n2/3p4/3P4/5N2/PPP1PPPP/RNBQKB1R w KQkq -");
    std::mt19937 random(15);
    for (int turn = 0; turn < 3; ++turn) {
        std::vector<std::string> lines = game.editCommands();
        if (turn == 0) {
            // Refused inside edit mode, each with an error, and nothing installed before ".".
            for (const char* bad : {"Zz9", "pa2", "Ki9", "e2e4", "go"}) lines.insert(lines.end() - 1, bad);
        }
        const std::string move = turn == 0 ? "b1d2" : randomMove(game, random);
        for (const std::string& line : lines) session.send(line);
        if (turn == 0)
            for (const char* bad : {"Zz9", "pa2", "Ki9", "e2e4", "go"})
                session.expectLine(std::string("Error (not an edit command): ") + bad);
        game.play(move);
        session.send(move);
        session.expectNothingYet();
        ASSERT_TRUE(session.play(game, session.turn(game, {"black", "time 300", "otim 300", "go"})));
        session.send("force");
    }
    for (const char* line : {"edit", "#", "Ke1", "c", "Pd8", "."}) session.send(line);
    session.expectLine(
        "Error (illegal position: each side needs one king and no pawn on the first or last rank): .");
    const std::string move = randomMove(game, random);
    game.play(move);
    session.send(move);
    ASSERT_TRUE(session.play(game, session.turn(game, {"black", "go"})));
    // Black to move is set up with "a2a3" before "edit", also where a2a3 cannot be played.
    session.send("force");
    const std::vector<std::string> whiteSetUp = RulesGame("4k3/8/8/8/8/P7/8/4K3 w - -").editCommands();
    RulesGame blackToMove("4k3/8/8/8/8/P7/8/4K3 b - -");
    for (const std::string& line : whiteSetUp) session.send(line);
    for (const char* line : {"force", "a2a3"}) session.send(line);
    session.expectLine("Illegal move: a2a3");
    for (const std::string& line : whiteSetUp) session.send(line);
    blackToMove.play("e8d7");
    session.send("e8d7");
    ASSERT_TRUE(session.play(blackToMove, session.turn(blackToMove, {"white", "go"})));
    session.finish();
}

// A think always has a budget: "st", or "level" without "time", or a few seconds; bad
// numbers are refused and change no setting.
TEST(XboardTraffic, ThinkBudgetsWithoutAClock) {
    TemporaryDirectory noBook;
    Session session(noBook.path());
    session.send("xboard");
    session.expectLine("");
    const struct {
        const char* line;
        const char* reply;
    } BAD[] = {
        {"level 40", "Error (level needs MPS BASE INC): level 40"},
        {"level x 5 0", "Error (level needs MPS BASE INC): level x 5 0"},
        {"level 40 5 y", "Error (level needs MPS BASE INC): level 40 5 y"},
        {"st", "Error (st needs a number of seconds, or off): st"},
        {"st -2", "Error (st needs a number of seconds, or off): st -2"},
        {"sd 0", "Error (sd needs a depth of 1 or more): sd 0"},
        {"sd deep", "Error (sd needs a depth of 1 or more): sd deep"},
    };
    const struct {
        std::vector<std::string> settings;
        milliseconds budget;
    } CASES[] = {
        {{"st 0.3"}, milliseconds(300)},
        {{"level 40 0:04 0"}, milliseconds(100)},  // the period shared over its 40 moves
        {{"level 0 0:03 0.2"}, milliseconds(300)},  // a thirtieth of the base and the increment
    };
    for (const auto& test : CASES) {
        RulesGame game;
        session.send("new");
        for (const std::string& line : test.settings) session.send(line);
        for (const auto& bad : BAD) {
            session.send(bad.line);
            session.expectLine(bad.reply);
        }
        const Turn turn = session.turn(game, {"force", "go"});
        EXPECT_GE(turn.thinkingLines, 1) << test.settings[0];
        EXPECT_LE(turn.elapsed, test.budget + BUDGET_MARGIN) << test.settings[0];
        ASSERT_TRUE(session.play(game, turn));
    }
    session.finish();
}

// ---- The second version: what an interface gets after "protover 2" ----

// A thinking line of the second version: the first version's form with the real time, in
// centiseconds, in the third field.
bool parseTimedThinking(const std::string& text, Thinking& thinking) {
    std::vector<std::string> words = wordsOf(text);
    if (words.size() < 4 || !isNumber(words[2])) return false;
    std::string zeroed;
    words[2] = "0";
    for (const std::string& word : words) zeroed += (zeroed.empty() ? "" : " ") + word;
    return text.find("  ") == std::string::npos && parseThinking(zeroed, thinking);
}

// Opens the second version and checks the feature exchange: done=0 first, done=1 last, the
// features an interface needs to skip every fallback, and the book option.
void openSecondVersion(Session& session) {
    session.send("xboard");
    session.send("protover 2");
    session.expectLine("");
    session.expectLine("feature done=0");
    std::vector<std::string> features;
    std::vector<std::string> lines;
    for (;;) {
        const auto line = session.engine.readLine(REPLY_TIMEOUT);
        ASSERT_TRUE(line.has_value()) << "no feature done=1";
        if (*line == "feature done=1") break;
        ASSERT_EQ(line->rfind("feature ", 0), 0u) << *line;
        lines.push_back(*line);
        const std::vector<std::string> words = wordsOf(*line);
        features.insert(features.end(), words.begin() + 1, words.end());
    }
    for (const char* feature : {"myname=\"Morvelline\"", "ping=1", "setboard=1", "usermove=1", "san=0", "time=1",
                                "draw=0", "sigint=0", "sigterm=0", "reuse=1", "analyze=1", "colors=0",
                                "variants=\"normal,fischerandom\"", "memory=1", "pause=0", "nps=0", "debug=1", "exclude=0",
                                "setscore=0", "name=0", "smp=1"})
        EXPECT_NE(std::find(features.begin(), features.end(), feature), features.end()) << feature;
    for (const char* option : {"feature option=\"OwnBook -check 1\"", "feature option=\"Clear Hash -button\"",
                               "feature option=\"Strength -spin 1800 800 1800\"",
                               "feature option=\"Move Overhead -spin 30 0 5000\""})
        EXPECT_NE(std::find(lines.begin(), lines.end(), option), lines.end()) << option;
    // The interface's replies are read silently: the next line is the pong.
    for (const char* reply : {"accepted myname", "accepted ping", "accepted usermove", "rejected nps"})
        session.send(reply);
    session.send("ping 1");
    session.expectLine("pong 1");
    // A level set through the option is the value announced next time; its top is full strength.
    for (const auto& [value, announced] : {std::pair{"1200", "1200"}, std::pair{"1800", "1800"}}) {
        session.send(std::string("option Strength=") + value);
        session.send("protover 2");
        std::string strength;
        for (auto line = session.engine.readLine(REPLY_TIMEOUT); line && *line != "feature done=1";
             line = session.engine.readLine(REPLY_TIMEOUT))
            if (line->find("Strength") != std::string::npos) strength = *line;
        EXPECT_EQ(strength, std::string("feature option=\"Strength -spin ") + announced + " 800 1800\"") << value;
    }
}

// The lines of a think or an analysis up to the first line that is no thinking line; every
// variation is checked against the game, and none may be a move.
struct Thoughts {
    std::vector<Thinking> lines;
    std::string next;
};

Thoughts readThoughts(Session& session, const RulesGame& game) {
    Thoughts thoughts;
    for (;;) {
        const auto line = session.engine.readLine(REPLY_TIMEOUT);
        if (!line) {
            ADD_FAILURE() << "the engine went silent";
            return thoughts;
        }
        Thinking thinking;
        if (!parseTimedThinking(*line, thinking)) {
            thoughts.next = *line;
            return thoughts;
        }
        EXPECT_TRUE(game.lineIsLegal(thinking.line)) << *line << " after" << ::testing::PrintToString(game.moves());
        thoughts.lines.push_back(thinking);
    }
}

// The engine's turn: thinking lines, then its move, which must be legal; false when it gave no move.
bool engineMoves(Session& session, RulesGame& game, Thoughts* seen = nullptr) {
    const Thoughts thoughts = readThoughts(session, game);
    if (seen != nullptr) *seen = thoughts;
    std::string move;
    if (!parseMoveLine(thoughts.next, move)) return false;
    EXPECT_TRUE(game.isLegal(move)) << move << " after" << ::testing::PrintToString(game.moves());
    if (!game.isLegal(move)) return false;
    // The last line before the move names it (thinking lines carry no promotion letter).
    if (!thoughts.lines.empty() && !thoughts.lines.back().line.empty()) {
        EXPECT_EQ(thoughts.lines.back().line.front(), move.substr(0, 4)) << "the last line does not name the move";
    }
    game.play(move);
    return true;
}

// Fischer Random until "new": the engine castles in letters, and takes castling from the interface
// in letters or as the king taking its rook, never in the two-square form; other variants are refused.
TEST(XboardSecondVersion, FischerRandomCastlingInLetters) {
    TemporaryDirectory noBook;
    Session session(noBook.path());
    openSecondVersion(session);
    // The only mate: the king on f1 and its rook on g1 change places.
    for (const char* line : {"new", "variant fischerandom", "force", "setboard 4rkr1/4p1p1/8/8/8/8/8/5KR1 w K - 0 1",
                             "sd 2", "go"})
        session.send(line);
    ASSERT_TRUE(session.engine.readUntil([](const std::string& line) { return line.rfind("move ", 0) == 0; }) ==
                "move O-O   ");
    const struct {
        const char* castling;
        const char* reply;
    } FROM_INTERFACE[] = {{"usermove b1g1", "Illegal move: b1g1"}, {"usermove O-O", nullptr}, {"usermove b1h1", nullptr}};
    for (const auto& sent : FROM_INTERFACE) {
        SCOPED_TRACE(sent.castling);
        for (const char* line : {"new", "variant fischerandom", "force", "setboard 4k3/pppppppp/8/8/8/8/8/1K5R w K - 0 1"})
            session.send(line);
        session.send(sent.castling);
        if (sent.reply != nullptr) {
            session.expectLine(sent.reply);
            continue;
        }
        // Only a castled rook stands on f1.
        session.send("usermove a7a6");
        session.send("usermove f1f7");
        session.expectNothingYet();
    }
    session.send("new");
    session.send("variant atomic");
    session.expectLine("Error (unsupported variant): atomic");
    // Standard chess again: the two-square form, not the king taking its rook.
    for (const char* line : {"force", "setboard r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "usermove e1h1"}) session.send(line);
    session.expectLine("Illegal move: e1h1");
    session.send("usermove e1g1");
    session.send("usermove e8c8");
    session.expectNothingYet();
    session.finish();
}

TEST(XboardSecondVersion, FeaturesPingOptionsHintAndPlayother) {
    TemporaryDirectory noBook;
    Session session(noBook.path());
    openSecondVersion(session);
    const struct {
        const char* line;
        const char* reply;
    } ANSWERS[] = {
        {"ping 42", "pong 42"},
        {"ping", "Error (ping needs a number): ping"},
        {"ping x", "Error (ping needs a number): ping x"},
        {"option Foo=1", "Error (unknown option): option Foo=1"},
        {"option OwnBook=x", "Error (OwnBook needs 0 or 1): option OwnBook=x"},
        {"option OwnBook", "Error (OwnBook needs 0 or 1): option OwnBook"},
        {"option Strength=x", "Error (Strength needs an Elo from 800 to 1800): option Strength=x"},
        {"option Strength=799", "Error (Strength needs an Elo from 800 to 1800): option Strength=799"},
        {"option Strength", "Error (Strength needs an Elo from 800 to 1800): option Strength"},
        {"option Move Overhead=x", "Error (Move Overhead needs milliseconds from 0 to 5000): option Move Overhead=x"},
        {"usermove", "Illegal move: usermove"},
        {"usermove zz", "Illegal move: zz"},
        {"usermove e2e5", "Illegal move: e2e5"},
        {"setboard", "tellusererror Illegal position: none given"},
        {"memory", "Error (memory needs a number of MB from 1 to 65536): memory"},
        {"memory 0", "Error (memory needs a number of MB from 1 to 65536): memory 0"},
        {"memory 65537", "Error (memory needs a number of MB from 1 to 65536): memory 65537"},
        {"cores", "Error (cores needs a number from 1 to 256): cores"},
        {"cores x", "Error (cores needs a number from 1 to 256): cores x"},
        {"cores 0", "Error (cores needs a number from 1 to 256): cores 0"},
        // Good settings answer nothing: the next line is the pong. The thinks below run on two threads.
        {"memory 4\ncores 2\noption Clear Hash\noption OwnBook=1\noption Move Overhead=50\nping 43", "pong 43"},
    };
    for (const auto& answer : ANSWERS) {
        session.send(answer.line);
        session.expectLine(answer.reply);
    }

    // A clock at its end or past it, a level of nothing, an increment beyond the clock: a legal
    // move, planned from the whole clock (the first version resigns below 5 centiseconds).
    for (const char* clock : {"level 0 0 0\ntime 0", "level 40 5 0\ntime -5", "level 0 0:01 30\ntime 100"}) {
        RulesGame game;
        session.send(std::string("new\nforce\n") + clock + "\notim 100\ngo");
        EXPECT_TRUE(engineMoves(session, game)) << clock;
    }

    // A ping that comes during a think is answered after the move.
    RulesGame game;
    for (const char* line : {"new", "force", "time 100000", "otim 100000", "go"}) session.send(line);
    Thinking first;
    const auto line = session.engine.readLine(REPLY_TIMEOUT);
    ASSERT_TRUE(line && parseTimedThinking(*line, first)) << line.value_or("nothing");
    session.send("ping 9");
    ASSERT_TRUE(engineMoves(session, game));
    session.expectLine("pong 9");

    // The hint is the reply the last line expected to the move played; usermove and bare moves both play.
    game = RulesGame();
    game.play("e2e4");
    // One thread: the hint is the second move of the line, which two threads may leave short.
    for (const char* line : {"new", "force", "cores 1", "sd 3", "usermove e2e4", "go"}) session.send(line);
    Thoughts thoughts;
    ASSERT_TRUE(engineMoves(session, game, &thoughts));
    ASSERT_FALSE(thoughts.lines.empty());
    session.send("hint");
    const auto hint = session.engine.readLine(REPLY_TIMEOUT);
    ASSERT_TRUE(hint && hint->rfind("Hint: ", 0) == 0) << hint.value_or("nothing");
    EXPECT_TRUE(game.isLegal(hint->substr(6))) << *hint;
    const std::vector<std::string>& expected = thoughts.lines.back().line;
    if (expected.size() >= 2) {
        EXPECT_EQ(hint->substr(6), expected[1]);
    }
    const std::string reply = game.legalMoves().front();
    game.play(reply);
    session.send(reply);
    ASSERT_TRUE(engineMoves(session, game));

    // playother: the engine takes the side not on move and answers the next move.
    game = RulesGame();
    game.play("e2e4");
    for (const char* line : {"new", "force", "sd 2", "e2e4", "playother"}) session.send(line);
    session.send("ping 2");
    session.expectLine("pong 2");
    game.play("e7e5");
    session.send("usermove e7e5");
    ASSERT_TRUE(engineMoves(session, game));

    // nopost silences the thinking lines, post brings them back.
    for (const bool post : {false, true}) {
        game = RulesGame();
        for (const char* line : {post ? "post" : "nopost", "new", "force", "sd 2", "go"}) session.send(line);
        ASSERT_TRUE(engineMoves(session, game, &thoughts));
        EXPECT_EQ(thoughts.lines.size(), post ? 2u : 0u);
    }
    session.finish();
}

// The shipped book answers a new game at once; "option OwnBook=0" searches instead, for every
// game until "option OwnBook=1"; a "setboard" turns the book off even for the start position.
TEST(XboardSecondVersion, BookOptionAndSetboard) {
    Session session(MORVELLINE_SOURCE_DIR);
    openSecondVersion(session);
    const std::string START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
    const struct {
        std::vector<std::string> lines;
        bool searched;
    } CASES[] = {
        {{"new", "sd 2", "go"}, false},
        {{"option OwnBook=0", "new", "sd 2", "go"}, true},
        {{"new", "sd 2", "go"}, true},
        {{"option OwnBook=1", "new", "sd 2", "go"}, false},
        {{"new", "force", "setboard " + START, "sd 2", "go"}, true},
    };
    for (const auto& test : CASES) {
        SCOPED_TRACE(test.lines.front());
        RulesGame game;
        for (const std::string& line : test.lines) session.send(line);
        Thoughts thoughts;
        ASSERT_TRUE(engineMoves(session, game, &thoughts));
        EXPECT_EQ(!thoughts.lines.empty(), test.searched);
    }

    // Refused positions keep the one set before; the engine's move must be legal there.
    const std::string GOOD = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R b KQkq - 0 1";
    const char* const BAD[] = {
        "8/8/8/8/8/8/8/8 w - - 0 1",               // no kings (PyChess's hint panel sends this one)
        "4k3/8/8/8/8/8/8/3KK3 w - - 0 1",          // two white kings
        "4k2P/8/8/8/8/8/8/4K3 w - - 0 1",          // a pawn on the last rank
        "4k3/8/8/8/8/8/8/p3K3 b - - 0 1",          // a pawn on the first rank
        "4k3/8/8/8/8/8/8/4R1K1 w - - 0 1",         // the side not to move in check
        "rnbqkbnr/pppppppp/8/8 w KQkq - 0 1",      // four ranks
        "4k3/8/8/8/8/8/8/4K3 x - - 0 1",           // no side to move
        "4k3/8/8/8/8/8/8/4K3 w - e9 0 1",          // no such square
    };
    for (const char* line : {"new", "force", "sd 3"}) session.send(line);
    session.send("setboard " + GOOD);
    for (const char* fen : BAD) {
        session.send(std::string("setboard ") + fen);
        // Named as sent: PyChess skips the answer to its empty board by that board's text.
        session.expectLine(std::string("tellusererror Illegal position: ") + fen);
    }
    session.send("go");
    RulesGame game(GOOD.substr(0, GOOD.rfind(" 0 1")));
    ASSERT_TRUE(engineMoves(session, game)) << "no move after go";
    session.finish();
}

// At a level the move played is often not the best line shown; the last line names it at the
// depth it was searched at, never beyond "sd".
TEST(XboardSecondVersion, LevelLinesKeepToTheDepthLimit) {
    Session session(MORVELLINE_SOURCE_DIR);
    openSecondVersion(session);
    session.send("option OwnBook=0");
    session.send("option Strength=800");
    const std::string START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
    int otherThanBest = 0;
    // Each search chooses afresh; twelve make a choice of the best line every time unlikely.
    for (const int limit : {1, 2, 1, 2, 1, 2, 1, 2, 1, 2, 1, 2}) {
        RulesGame game;
        for (const std::string& line : {std::string("new"), std::string("force"), "setboard " + START,
                                        "sd " + std::to_string(limit), std::string("go")})
            session.send(line);
        Thoughts thoughts;
        ASSERT_TRUE(engineMoves(session, game, &thoughts));
        ASSERT_FALSE(thoughts.lines.empty());
        for (const Thinking& line : thoughts.lines) EXPECT_LE(line.depth, limit) << "sd " << limit;
        if (thoughts.lines.size() > 1 && thoughts.lines[thoughts.lines.size() - 2].line.front() !=
                                             thoughts.lines.back().line.front())
            ++otherThanBest;
    }
    EXPECT_GT(otherThanBest, 0) << "no search played a line other than the best";
    session.finish();
}

// At a level the move played is often not the first of the best line; in the first version
// and the console too the last line before the move names it (the second version's check is
// in engineMoves). Twelve searches from the start make a choice other than the best all but sure.
TEST(XboardProtocol, LevelsNameTheMovePlayedInTheFirstVersionAndTheConsole) {
    TemporaryDirectory noBook;
    constexpr int SEARCHES = 12;
    int otherThanBest = 0;
    {
        Session session(noBook.path());
        session.start();
        session.send("strength 800");
        for (int search = 0; search < SEARCHES; ++search) {
            RulesGame game;
            const Turn turn = session.turn(game, {"new", "force", "sd " + std::to_string(1 + search % 2), "go"});
            ASSERT_EQ(turn.answer, Answer::MOVE);
            EXPECT_TRUE(game.isLegal(turn.move)) << turn.move;
            if (turn.depthRepeated) ++otherThanBest;
        }
        session.finish();
    }
    EXPECT_GT(otherThanBest, 0) << "no first-version search played a line other than the best";
    otherThanBest = 0;
    EngineProcess console(noBook.path());
    console.writeLine("strength 800");
    for (int search = 0; search < SEARCHES; ++search)
        for (const std::string& line : {std::string("new"), "sd " + std::to_string(1 + search % 2), std::string("move")})
            console.writeLine(line);
    console.writeLine("quit");
    const std::regex THINKING("^Depth:(\\d+) Nodes:\\d+ Value:[ +-][ 0-9.]+ ((?:[a-h][1-8][a-h][1-8]-)*)$");
    std::vector<std::string> firstMoves;
    int answered = 0;
    while (const auto line = console.readLine(REPLY_TIMEOUT)) {
        std::smatch match;
        if (std::regex_match(*line, match, THINKING)) {
            firstMoves.push_back(match[2].str().substr(0, 4));
            continue;
        }
        if (*line == "Morvelline e' stato interrotto") break;
        std::string move;
        ASSERT_TRUE(parseMoveLine(*line, move)) << *line;
        ASSERT_FALSE(firstMoves.empty()) << *line;
        EXPECT_EQ(firstMoves.back(), move.substr(0, 4)) << "the last line does not name the move";
        if (firstMoves.size() > 1 && firstMoves[firstMoves.size() - 2] != firstMoves.back()) ++otherThanBest;
        firstMoves.clear();
        ++answered;
    }
    EXPECT_EQ(answered, SEARCHES);
    EXPECT_GT(otherThanBest, 0) << "no console search played a line other than the best";
}

// Reads an analysis until both the pong and its last line (the depth limit, or a mate score,
// which ends the deepening) have come; only thinking lines of the game may come besides.
void analysisUntil(Session& session, const RulesGame& game, const std::string& pong, int lastDepth,
                   std::optional<long long> lastScore = std::nullopt) {
    bool pongSeen = false;
    bool lastSeen = false;
    while (!pongSeen || !lastSeen) {
        const auto line = session.engine.readLine(REPLY_TIMEOUT);
        ASSERT_TRUE(line.has_value()) << (pongSeen ? "no last line" : "no pong");
        Thinking thinking;
        if (parseTimedThinking(*line, thinking)) {
            EXPECT_TRUE(game.lineIsLegal(thinking.line)) << *line;
            EXPECT_LT(std::llabs(thinking.score), XBOARD_MATE + MAX_DEPTH) << *line;
            const bool mate = std::llabs(thinking.score) >= XBOARD_MATE;
            if (lastScore && (mate || thinking.depth == lastDepth)) {
                EXPECT_EQ(thinking.score, *lastScore) << *line;
            }
            lastSeen = lastSeen || thinking.depth == lastDepth || mate;
        } else {
            ASSERT_EQ(*line, pong) << "while analysing";
            pongSeen = true;
        }
    }
}

// "stat01: time nodes ply mvleft mvtot".
std::vector<long long> statusOf(const std::string& line) {
    std::vector<std::string> words = wordsOf(line);
    std::vector<long long> numbers;
    if (words.size() != 6 || words[0] != "stat01:") return numbers;
    for (std::size_t index = 1; index < words.size(); ++index)
        if (isNumber(words[index])) numbers.push_back(std::stoll(words[index]));
    return numbers;
}

// Analysis mode follows every change of the position and never plays: each step's lines go
// in one write with a ping, so the engine sees them together, and reading stops at the pong
// and at the search's last line. Then an analysis without a depth limit, cut by a move.
TEST(XboardSecondVersion, AnalysisFollowsThePositionAndNeverMoves) {
    TemporaryDirectory noBook;
    Session session(noBook.path());
    openSecondVersion(session);
    constexpr int DEPTH = 3;
    const std::string FEN = "4k3/8/8/8/8/8/4P3/4K3 w - - 0 1";
    const std::string MATED = "rnb1kbnr/pppp1ppp/8/4p3/6Pq/5P2/PPPPP2P/RNBQKBNR w KQkq - 1 3";
    const std::string MATE_IN_ONE = "6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1";
    // The rules model is one position at a time, so each step names its game as a FEN and moves.
    const std::string START;
    const std::string FEN_GAME = FEN.substr(0, FEN.rfind(" 0 1"));
    const struct {
        std::string lines;
        std::string fen;
        std::vector<std::string> moves;
        int lastDepth;
        std::optional<long long> lastScore = std::nullopt;
    } STEPS[] = {
        {"new\nforce\nsd 3\npost\nanalyze", START, {}, DEPTH},
        {"usermove e2e4", START, {"e2e4"}, DEPTH},
        {"e7e5", START, {"e2e4", "e7e5"}, DEPTH},
        {"undo", START, {"e2e4"}, DEPTH},
        {"setboard " + FEN, FEN_GAME, {}, DEPTH},
        {"usermove e1d2", FEN_GAME, {"e1d2"}, DEPTH},
        {"setboard " + MATED, MATED.substr(0, MATED.rfind(" 1 3")), {}, 1, -XBOARD_MATE},  // the game is over
        {"setboard " + MATE_IN_ONE, MATE_IN_ONE.substr(0, MATE_IN_ONE.rfind(" 0 1")), {}, 1, XBOARD_MATE + 1},
        {"new\nsd 3", START, {}, DEPTH},
        // "new" makes the engine Black again, but analysis still only analyses.
        {"usermove e2e4", START, {"e2e4"}, DEPTH},
    };
    int ping = 10;
    for (const auto& step : STEPS) {
        SCOPED_TRACE(step.lines);
        RulesGame game(step.fen);
        for (const std::string& move : step.moves) game.play(move);
        const std::string pong = "pong " + std::to_string(++ping);
        ASSERT_TRUE(session.engine.writeLine(step.lines + "\nping " + std::to_string(ping)));
        analysisUntil(session, game, pong, step.lastDepth, step.lastScore);
        // Finished: the status names the last depth, no move left and all the legal moves.
        session.send(".");
        const auto status = session.engine.readLine(REPLY_TIMEOUT);
        ASSERT_TRUE(status.has_value());
        const std::vector<long long> numbers = statusOf(*status);
        ASSERT_EQ(numbers.size(), 5u) << *status;
        EXPECT_EQ(numbers[2], step.lastDepth) << *status;
        EXPECT_EQ(numbers[3], 0) << *status;
        EXPECT_EQ(numbers[4], static_cast<long long>(game.legalMoves().size())) << *status;
    }

    // Without a depth limit the search runs until a line comes: "." is answered during it,
    // a move cuts it and starts it again on the new position, "exit" ends it.
    RulesGame game;
    ASSERT_TRUE(session.engine.writeLine("new\nping 30"));
    const Thoughts before = readThoughts(session, game);
    ASSERT_EQ(before.next, "pong 30");
    Thinking line;
    const auto started = session.engine.readLine(REPLY_TIMEOUT);
    ASSERT_TRUE(started && parseTimedThinking(*started, line)) << started.value_or("nothing");
    session.send(".");
    Thoughts running = readThoughts(session, game);
    const std::vector<long long> numbers = statusOf(running.next);
    ASSERT_EQ(numbers.size(), 5u) << running.next;
    EXPECT_EQ(numbers[4], 20);
    EXPECT_LE(numbers[3], 20);
    ASSERT_TRUE(session.engine.writeLine("usermove d2d4\nping 31"));
    running = readThoughts(session, game);
    ASSERT_EQ(running.next, "pong 31");
    game.play("d2d4");
    const auto first = session.engine.readLine(REPLY_TIMEOUT);
    ASSERT_TRUE(first && parseTimedThinking(*first, line)) << first.value_or("nothing");
    EXPECT_TRUE(game.lineIsLegal(line.line)) << *first;
    // PyChess stops its analysers so, the empty board for engines that ignore "exit". It shows
    // every "tellusererror" as a dialog but one whose text holds that board's placement.
    const std::string EMPTY_BOARD = "8/8/8/8/8/8/8/8 w - - 0 1";
    ASSERT_TRUE(session.engine.writeLine("exit\nsetboard " + EMPTY_BOARD + "\nping 32"));
    EXPECT_EQ(readThoughts(session, game).next, "tellusererror Illegal position: " + EMPTY_BOARD);
    session.expectLine("pong 32");
    // Out of analysis, the position kept: in force mode moves are played and not answered (the
    // queen's move needs d2d4 on the board).
    for (const char* line : {"force", "usermove d7d5", "usermove d1d3", "ping 33"}) session.send(line);
    session.expectLine("pong 33");
    session.finish();
}

// Games the way xboard drives a second-version engine: no "white"/"black", moves as
// "usermove", "go" only for the first move as White, "ping" to wait for the engine, and
// "result" and "force" at the end; the shipped book plays the first moves.
TEST(XboardSecondVersion, GamesAsXboardDrivesIt) {
    Session session(MORVELLINE_SOURCE_DIR);
    openSecondVersion(session);
    constexpr std::size_t PLY_CAP = 80;
    constexpr int CLOCK = 600;
    int ping = 100;
    for (const bool engineWhite : {true, false}) {
        SCOPED_TRACE(engineWhite ? "engine White" : "engine Black");
        for (const char* line : {"new", "random", "level 40 5 0", "post", "hard", "easy"}) session.send(line);
        session.send("ping " + std::to_string(++ping));
        session.expectLine("pong " + std::to_string(ping));
        RulesGame game;
        std::mt19937 random(engineWhite ? 3 : 4);
        bool engineMovedOnce = false;
        while (game.moves().size() < PLY_CAP && !game.over()) {
            const bool engineToMove = (game.moves().size() % 2 == 0) == engineWhite;
            session.send("time " + std::to_string(CLOCK));
            session.send("otim " + std::to_string(CLOCK));
            if (!engineToMove) {
                const std::string move = randomMove(game, random);
                game.play(move);
                if (game.over()) break;
                session.send("usermove " + move);
            } else {
                ASSERT_FALSE(engineMovedOnce);
                session.send("go");
            }
            engineMovedOnce = true;
            if (!engineMoves(session, game)) break;
        }
        EXPECT_GE(game.moves().size(), 10u);
        for (const char* line : {"result 1/2-1/2 {adjudicated}", "force"}) session.send(line);
        session.send("ping " + std::to_string(++ping));
        session.expectLine("pong " + std::to_string(ping));
    }
    session.finish();
}


}  // namespace
