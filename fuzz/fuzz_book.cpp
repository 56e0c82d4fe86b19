// A fuzzed book file, then a game that follows it: probeBook never changes the
// position, every move it gives is legal, and the game text keeps pace.
#include "fuzz_support.h"
#include "search/think.h"

namespace {

constexpr int MAX_BOOK_PLIES = 24;

bool linesFitTheirSlots() {
    for (int line = 0; line < book::bookLineCount; ++line)
        if (std::memchr(book::bookLines[line], '\0', book::BOOK_LINE_SIZE) == nullptr) return false;
    return true;
}

// Probes as the engine's turn does; true when the book gave the move.
bool probeChecked(Move& move) {
    const fuzz::Snapshot before = fuzz::takeSnapshot();
    book::probeBook(move);
    fuzz::check(fuzz::takeSnapshot() == before, "probeBook leaves the position unchanged");
    fuzz::check(book::bookLineCount >= 0 && book::bookLineCount <= book::BOOK_MAX_LINES, "book line count in range");
    fuzz::check(linesFitTheirSlots(), "book lines fit their slots");
    if (!book::bookActive) return false;
    Move legal{};
    fuzz::check(search::findLegalMove(move.fromRow, move.fromCol, move.toRow, move.toCol, EMPTY, legal) &&
                    fuzz::sameRecord(legal, move),
                "a book move is a legal move of the position");
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::startEngine();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    fuzz::resetPosition();
    book::setBookPath(fuzz::writeTempFile("morvelline-fuzz-book", data, size));
    book::loadBook();
    book::bookActive = true;
    fuzz::check(book::bookLineCount <= book::BOOK_MAX_LINES, "no more lines than the table holds");
    for (int ply = 0; ply < MAX_BOOK_PLIES; ++ply) {
        // Out of the book the game goes on with any legal move, and later probes must find nothing.
        Move move{};
        if (!probeChecked(move) && !search::firstLegalMove(move)) break;
        search::playGameMove(move);
        fuzz::check(board::positionIsConsistent(), "position consistent after a book game move");
        fuzz::check(std::strlen(book::gameMoveText) < static_cast<std::size_t>(book::BOOK_LINE_SIZE),
                    "game text within its buffer");
        if (book::bookActive)
            fuzz::check(std::strlen(book::gameMoveText) ==
                            static_cast<std::size_t>(book::DIGITS_PER_MOVE * board::gamePly),
                        "game text keeps pace with the game while in the book");
    }
    return 0;
}
