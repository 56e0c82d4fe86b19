// Typed move text, line after line, from one of a few positions: rejected text
// leaves the position as it was, every played move keeps the key right and its take-back restores it.
#include "fuzz_support.h"
#include "board/makemove.h"
#include "frontend/console.h"
#include "frontend/loader.h"
#include "frontend/movetext.h"
#include "search/think.h"

namespace {

// Castling both ways, promotions and captures onto promotion squares, pieces
// beside pawns that can advance two squares (en passant comes from the moves).
constexpr const char* STARTS[] = {
    nullptr,  // the start position
    "r3k2r/pppppppp/8/8/8/8/PPPPPPPP/R3K2R",
    "1r2k3/P6P/8/8/8/8/p6p/1R2K3",
    "4k3/2p1p3/8/1P1P4/5p1p/8/4P1P1/4K3",
    "8/8/8/8/8/8/8/8",
    "kK6/8/8/8/8/8/8/6Kk",
    "1rk3r1/pppppppp/8/8/8/8/PPPPPPPP/1RK3R1",  // Chess960: king on c, rooks on b and g
};
constexpr int START_COUNT = sizeof STARTS / sizeof STARTS[0];

void setStart(unsigned char choice) {
    fuzz::resetPosition();
    const char* placement = STARTS[(choice & 0x7f) % START_COUNT];
    if (placement != nullptr) {
        frontend::LoadedPosition position{};
        fuzz::check(frontend::parsePlacement(placement, position), "fuzz start placement parses");
        position.side = WHITE;
        frontend::parseCastling("KQkq", position);
        frontend::installPosition(position);
    }
    board::sideToMove = (choice & 0x80) != 0 ? BLACK : WHITE;
    board::currentKey = board::computeKey();
    board::GameHistory[0] = board::currentKey;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::startEngine();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    if (size == 0) return 0;
    setStart(data[0]);
    // Interface moves in force mode: played, never answered.
    frontend::xboardMode = true;
    frontend::enginePlays = false;
    fuzz::forEachLine(data + 1, size - 1, [](char* line) {
        const fuzz::Snapshot before = fuzz::takeSnapshot();
        Move move{};
        // Only a legal move of the side to move is played, in squares or as O-O / O-O-O;
        // everything else changes nothing.
        const bool legal = frontend::legalCastlingOfLetters(line, move) ||
                           (frontend::parseUserMove(line, move) == frontend::MoveTextKind::PLAYABLE &&
                            frontend::isLegalUserMove(move));
        const bool playable = legal && board::gamePly < board::MAX_GAME_PLY;
        // A typed move that is also a generated move must be the generator's record, and so undo exactly.
        Move generated{};
        if (playable && search::findLegalMove(move.fromRow, move.fromCol, move.toRow, move.toCol, move.promotion,
                                              generated)) {
            fuzz::check(fuzz::sameRecord(move, generated), "a legal typed move is the generator's record");
            Move trial = move;
            board::makeMove(trial);
            fuzz::check(board::positionIsConsistent(), "position consistent after making a typed move");
            board::unmakeMove(trial);
            board::currentKey = before.key;
            fuzz::check(fuzz::takeSnapshot() == before, "unmakeMove restores a legal typed move");
        }
        fuzz::check(frontend::playUserMove(line) == playable, "a typed move is played exactly when it is legal");
        fuzz::check(board::positionIsConsistent(), "position consistent after move text");
        if (!playable) {
            fuzz::check(fuzz::takeSnapshot() == before, "rejected move text leaves the position unchanged");
            return true;
        }
        fuzz::check(board::gamePly == before.gamePly + 1, "a played move adds one ply");
        fuzz::check(board::sideToMove != before.side, "a played move passes the turn");
        // The take-back gives back exactly what the move changed.
        fuzz::check(frontend::takeBackMoves(1), "a played move can be taken back");
        fuzz::check(fuzz::takeSnapshot() == before, "a take-back restores the position");
        fuzz::check(frontend::playUserMove(line), "the move plays again after its take-back");
        return true;
    });
    return 0;
}
