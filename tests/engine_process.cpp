#include "engine_process.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <thread>

#include "board/attacks.h"
#include "board/position.h"
#include "book/book.h"
#include "test_support.h"

namespace testing_support {

namespace {

using Clock = std::chrono::steady_clock;

int millisecondsUntil(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

}  // namespace

EngineProcess::EngineProcess(const std::string& workingDirectory, const std::string& program,
                             const std::vector<std::string>& arguments) {
    // Built before the fork: the child may not allocate.
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    // A write to an engine that has died must fail the test, not kill it.
    std::signal(SIGPIPE, SIG_IGN);
    int input[2];
    int output[2];
    if (::pipe2(input, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    if (::pipe2(output, O_CLOEXEC) != 0) {
        ::close(input[0]);
        ::close(input[1]);
        throw std::runtime_error("pipe failed");
    }
    const pid_t pid = ::fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        // Only async-signal-safe calls between fork and exec.
        ::dup2(input[0], STDIN_FILENO);
        ::dup2(output[1], STDOUT_FILENO);
        std::signal(SIGPIPE, SIG_DFL);
        std::signal(SIGINT, SIG_DFL);
        if (::chdir(workingDirectory.c_str()) != 0) ::_exit(126);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    child_ = pid;
    ::close(input[0]);
    ::close(output[1]);
    toChild_ = input[1];
    fromChild_ = output[0];
}

EngineProcess::~EngineProcess() {
    if (toChild_ >= 0) ::close(toChild_);
    if (child_ > 0) {
        ::kill(child_, SIGKILL);
        ::waitpid(child_, nullptr, 0);
    }
    if (fromChild_ >= 0) ::close(fromChild_);
}

bool EngineProcess::writeLine(const std::string& line) {
    if (toChild_ < 0) return false;
    const std::string text = line + "\n";
    std::size_t written = 0;
    while (written < text.size()) {
        const ssize_t got = ::write(toChild_, text.data() + written, text.size() - written);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        written += static_cast<std::size_t>(got);
    }
    return true;
}

bool EngineProcess::fill(Clock::time_point deadline) {
    if (outputEnded_) return false;
    for (;;) {
        pollfd request = {fromChild_, POLLIN, 0};
        const int ready = ::poll(&request, 1, millisecondsUntil(deadline));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return false;
        char chunk[4096];
        const ssize_t got = ::read(fromChild_, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
            outputEnded_ = true;
            return false;
        }
        buffered_.append(chunk, static_cast<std::size_t>(got));
        return true;
    }
}

std::optional<std::string> EngineProcess::readLine(std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        const std::size_t end = buffered_.find('\n');
        if (end != std::string::npos) {
            std::string line = buffered_.substr(0, end);
            buffered_.erase(0, end + 1);
            return line;
        }
        if (!fill(deadline)) return std::nullopt;
    }
}

bool EngineProcess::lineWithin(std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    while (buffered_.find('\n') == std::string::npos)
        if (!fill(deadline)) return false;
    return true;
}

void EngineProcess::sendSignal(int signal) {
    if (child_ > 0) ::kill(child_, signal);
}

void EngineProcess::closeInput() {
    if (toChild_ >= 0) ::close(toChild_);
    toChild_ = -1;
}

std::optional<int> EngineProcess::waitExit(std::chrono::milliseconds timeout) {
    if (child_ <= 0) return std::nullopt;
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        int status = 0;
        const pid_t done = ::waitpid(child_, &status, WNOHANG);
        if (done == child_) {
            child_ = -1;
            return status;
        }
        if (Clock::now() >= deadline) {
            ::kill(child_, SIGKILL);
            ::waitpid(child_, nullptr, 0);
            child_ = -1;
            return std::nullopt;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

namespace {

// Everything that makes up the engine's one position, to put it back after a trial line.
struct PositionSnapshot {
    PieceCode board[BOARD_SIZE][BOARD_SIZE];
    Color side;
    int whiteCastling, blackCastling, whiteEpFile, blackEpFile, nonPawnPieces, halfMoves, ply;
    HashKey key;
    HashKey history[board::GAME_HISTORY_SIZE];

    PositionSnapshot() {
        std::copy(&board::Board[0][0], &board::Board[0][0] + BOARD_SIZE * BOARD_SIZE, &board[0][0]);
        side = board::sideToMove;
        whiteCastling = board::whiteCastling;
        blackCastling = board::blackCastling;
        whiteEpFile = board::whiteEpFile;
        blackEpFile = board::blackEpFile;
        nonPawnPieces = board::nonPawnPieceCount;
        halfMoves = board::halfMoveClock;
        ply = board::gamePly;
        key = board::currentKey;
        std::copy(board::GameHistory, board::GameHistory + board::GAME_HISTORY_SIZE, history);
    }
    ~PositionSnapshot() {
        std::copy(&board[0][0], &board[0][0] + BOARD_SIZE * BOARD_SIZE, &board::Board[0][0]);
        board::sideToMove = side;
        board::whiteCastling = whiteCastling;
        board::blackCastling = blackCastling;
        board::whiteEpFile = whiteEpFile;
        board::blackEpFile = blackEpFile;
        board::nonPawnPieceCount = nonPawnPieces;
        board::halfMoveClock = halfMoves;
        board::gamePly = ply;
        board::currentKey = key;
        std::copy(history, history + board::GAME_HISTORY_SIZE, board::GameHistory);
        // The board was written wholesale: the kings, sums and piece bits are found afresh.
        board::locateKings();
    }
};

PieceCode pieceAt(const std::string& square) { return board::Board[square[1] - '1'][square[0] - 'a']; }

bool isPawn(PieceCode piece) { return piece == WHITE_PAWN || piece == BLACK_PAWN; }

}  // namespace

RulesGame::RulesGame(const std::string& fen) {
    freshEngine();
    if (!fen.empty()) setPosition(fen);
    // The book would only write its move text; the rules do not need it.
    book::bookActive = false;
    signatures_.push_back(signature());
}

std::vector<std::string> RulesGame::legalMoves() const { return legalMoveTexts(); }

bool RulesGame::isLegal(const std::string& move) const {
    const std::vector<std::string> legal = legalMoveTexts();
    return std::find(legal.begin(), legal.end(), move) != legal.end();
}

void RulesGame::play(const std::string& move) {
    playMove(move);
    book::bookActive = false;
    moves_.push_back(move);
    signatures_.push_back(signature());
}

bool RulesGame::lineIsLegal(const std::vector<std::string>& moves) const {
    const PositionSnapshot snapshot;
    std::vector<std::string> seen = signatures_;
    for (const std::string& move : moves) {
        // A line stops where its own moves end the game by a draw, as interfaces check.
        const bool lineMoved = seen.size() > signatures_.size();
        if (lineMoved && (std::count(seen.begin(), seen.end(), seen.back()) >= 3 || fiftyMoves())) return false;
        const std::vector<std::string> legal = legalMoveTexts();
        std::string chosen;
        // A thinking line shows a promotion without its letter, where the queen is as good a
        // guess as any; UCI names the piece.
        for (const std::string& candidate : legal)
            if (move.size() == 5 ? candidate == move
                                 : candidate.compare(0, 4, move) == 0 &&
                                       (chosen.empty() || (candidate.size() == 5 && candidate[4] == 'q')))
                chosen = candidate;
        if (chosen.empty()) return false;
        playMove(chosen);
        book::bookActive = false;
        seen.push_back(signature());
    }
    return true;
}

bool RulesGame::inCheck() const {
    return board::sideToMove == WHITE ? board::whiteKingAttacked() : board::blackKingAttacked();
}

int RulesGame::occurrences() const {
    return static_cast<int>(std::count(signatures_.begin(), signatures_.end(), signatures_.back()));
}

bool RulesGame::fiftyMoves() const { return board::halfMoveClock >= 100; }

bool RulesGame::over() const { return legalMoveTexts().empty() || occurrences() >= 3 || fiftyMoves(); }

std::vector<std::string> RulesGame::editCommands() const {
    static constexpr char LETTERS[] = "PKQBNR.RNBQKP";
    std::vector<std::string> lines = {"edit", "#"};
    for (const bool white : {true, false}) {
        if (!white) lines.push_back("c");
        for (int row = 0; row < BOARD_SIZE; ++row)
            for (int col = 0; col < BOARD_SIZE; ++col) {
                const PieceCode piece = board::Board[row][col];
                if (piece != EMPTY && isWhitePiece(piece) == white)
                    lines.push_back(std::string(1, LETTERS[piece]) + static_cast<char>('a' + col) +
                                    static_cast<char>('1' + row));
            }
    }
    lines.insert(lines.end(), {"c", "."});
    return lines;
}

std::string RulesGame::signature() const {
    std::string text;
    for (int row = 0; row < BOARD_SIZE; ++row)
        for (int col = 0; col < BOARD_SIZE; ++col) text += static_cast<char>('A' + board::Board[row][col]);
    text += board::sideToMove == WHITE ? " w " : " b ";
    // A right counts while its king and rook still stand at home.
    using board::Board;
    if ((board::whiteCastling & CASTLE_KINGSIDE) && Board[0][4] == WHITE_KING && Board[0][7] == WHITE_ROOK) text += 'K';
    if ((board::whiteCastling & CASTLE_QUEENSIDE) && Board[0][4] == WHITE_KING && Board[0][0] == WHITE_ROOK) text += 'Q';
    if ((board::blackCastling & CASTLE_KINGSIDE) && Board[7][4] == BLACK_KING && Board[7][7] == BLACK_ROOK) text += 'k';
    if ((board::blackCastling & CASTLE_QUEENSIDE) && Board[7][4] == BLACK_KING && Board[7][0] == BLACK_ROOK) text += 'q';
    // An en-passant square matters only when the capture can really be made.
    for (const std::string& move : legalMoveTexts())
        if (isPawn(pieceAt(move.substr(0, 2))) && move[0] != move[2] && pieceAt(move.substr(2, 2)) == EMPTY)
            text += " ep " + move;
    return text;
}

TemporaryDirectory::TemporaryDirectory() {
    std::string pattern = (std::filesystem::temp_directory_path() / "morvelline-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TemporaryDirectory::~TemporaryDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

}  // namespace testing_support
