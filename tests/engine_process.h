// The engine program as a child process behind two pipes, for tests that talk
// to it as an interface would. Every wait has a timeout so a hung engine fails
// the test instead of hanging it.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace testing_support {

class EngineProcess {
public:
    // Starts the engine program (the built one unless named) in workingDirectory, with these arguments.
    explicit EngineProcess(const std::string& workingDirectory, const std::string& program = MORVELLINE_BINARY,
                           const std::vector<std::string>& arguments = {});
    ~EngineProcess();
    EngineProcess(const EngineProcess&) = delete;
    EngineProcess& operator=(const EngineProcess&) = delete;

    bool running() const { return child_ > 0; }
    // False when the engine has gone and the pipe is closed.
    bool writeLine(const std::string& line);
    // The next line without its line end; nothing on timeout or end of output.
    std::optional<std::string> readLine(std::chrono::milliseconds timeout = std::chrono::seconds(30));
    // Reads lines until one satisfies the predicate; the lines passed over are appended to skipped.
    template <typename Predicate>
    std::optional<std::string> readUntil(Predicate predicate, std::string* skipped = nullptr,
                                         std::chrono::milliseconds timeout = std::chrono::seconds(30));
    // True when a line is complete or arrives within the timeout, without taking it.
    bool lineWithin(std::chrono::milliseconds timeout);
    void sendSignal(int signal);
    void closeInput();
    // The exit status as waitpid gives it; nothing when the child is still running at the timeout,
    // in which case it has been killed.
    std::optional<int> waitExit(std::chrono::milliseconds timeout = std::chrono::seconds(30));

private:
    bool fill(std::chrono::steady_clock::time_point deadline);

    pid_t child_ = -1;
    int toChild_ = -1;
    int fromChild_ = -1;
    bool outputEnded_ = false;
    std::string buffered_;
};

// A fresh empty directory under the system's temporary directory, removed by the destructor.
class TemporaryDirectory {
public:
    TemporaryDirectory();
    ~TemporaryDirectory();
    TemporaryDirectory(const TemporaryDirectory&) = delete;
    TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// The game as the rules see it, kept in this process with the engine library, so
// that every move the engine sends can be checked and every claim verified.
class RulesGame {
public:
    // The start position; fen (placement, side, castling, en-passant square) for another.
    explicit RulesGame(const std::string& fen = "");
    std::vector<std::string> legalMoves() const;
    bool isLegal(const std::string& move) const;
    void play(const std::string& move);
    // A line of moves, promotions with their letter (UCI) or without (thinking lines), that
    // goes on from no threefold repetition or fifty-move draw of its own making.
    bool lineIsLegal(const std::vector<std::string>& moves) const;
    bool inCheck() const;
    // How often the current position has stood on the board in this game, by the rules:
    // same placement, side to move, castling rights and en-passant captures.
    int occurrences() const;
    bool fiftyMoves() const;
    // True when no legal move is left or a draw can be claimed.
    bool over() const;
    const std::vector<std::string>& moves() const { return moves_; }
    // The lines of the protocol's edit mode that set up this placement, as interfaces send them:
    // "edit", "#", the white pieces, "c", the black pieces (upper-case letters too), "c", ".".
    std::vector<std::string> editCommands() const;

private:
    std::string signature() const;
    std::vector<std::string> moves_;
    std::vector<std::string> signatures_;
};

template <typename Predicate>
std::optional<std::string> EngineProcess::readUntil(Predicate predicate, std::string* skipped,
                                                    std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return std::nullopt;
        std::optional<std::string> line = readLine(left);
        if (!line) return std::nullopt;
        if (predicate(*line)) return line;
        if (skipped != nullptr) *skipped += *line + "\n";
    }
}

}  // namespace testing_support
