// A fuzzed position file, loaded in the middle of a game. The expected outcome
// is worked out here on its own terms: the first line as the reader cuts it,
// words at spaces, eight ranks of exactly eight squares.
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "frontend/loader.h"
#include "frontend/movetext.h"

namespace {

constexpr std::size_t KEPT_LINE_LENGTH = frontend::POSITION_LINE_SIZE - 1;
constexpr int COLORS = 2;
constexpr int NO_COL = -1;
constexpr const char* OPENING[] = {"e2e4", "c7c5", "g1f3"};

PieceCode pieceFor(char letter) {
    static constexpr char LETTERS[] = "pkqbnr";
    static constexpr PieceCode BLACK_CODES[] = {BLACK_PAWN,   BLACK_KING,   BLACK_QUEEN,
                                                BLACK_BISHOP, BLACK_KNIGHT, BLACK_ROOK};
    for (int index = 0; LETTERS[index] != '\0'; ++index) {
        if (letter == LETTERS[index]) return BLACK_CODES[index];
        if (letter == LETTERS[index] - 'a' + 'A') return 12 - BLACK_CODES[index];
    }
    return EMPTY;
}

// The file's first line as a C string: the carriage return before the line feed
// dropped, at most 79 characters, cut at a zero byte.
std::string firstLine(const unsigned char* data, std::size_t size) {
    std::string line;
    std::size_t end = 0;
    while (end < size && data[end] != '\n') ++end;
    line.assign(reinterpret_cast<const char*>(data), end);
    if (end < size && !line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() > KEPT_LINE_LENGTH) line.resize(KEPT_LINE_LENGTH);
    return line.substr(0, line.find('\0'));
}

std::vector<std::string> wordsOf(const std::string& line) {
    std::vector<std::string> words;
    std::size_t at = 0;
    while (at < line.size()) {
        while (at < line.size() && line[at] == ' ') ++at;
        const std::size_t start = at;
        while (at < line.size() && line[at] != ' ') ++at;
        if (at > start) words.push_back(line.substr(start, at - start));
    }
    return words;
}

struct Expected {
    bool loads = false;
    PieceCode board[BOARD_SIZE][BOARD_SIZE];
    Color side = WHITE;
    int whiteCastling = 0;
    int blackCastling = 0;
    int nonPawnPieces = 0;
};

// The castling field: K and Q the outermost rook of that colour on that side of
// its king, a file letter that rook's file; a king off the e-file or a rook off
// the corner makes it Chess960, where a right without its rook is dropped.
void expectCastling(const std::string& field, Expected& expected) {
    int given[COLORS] = {0, 0};
    int withRook[COLORS] = {0, 0};
    bool chess960 = false;
    for (char letter : field) {
        const Color color = letter >= 'A' && letter <= 'Z' ? WHITE : BLACK;
        const char lower = color == WHITE ? static_cast<char>(letter - 'A' + 'a') : letter;
        const int row = color == WHITE ? FIRST_ROW : LAST_ROW;
        const PieceCode rook = color == WHITE ? WHITE_ROOK : BLACK_ROOK;
        int king = NO_COL;
        for (int col = BOARD_SIZE - 1; col >= 0; --col)
            if (expected.board[row][col] == (color == WHITE ? WHITE_KING : BLACK_KING)) king = col;
        int rookCol = NO_COL;
        bool kingside = lower == 'k';
        if (lower == 'k' || lower == 'q') {
            for (int col = 0; king != NO_COL && col < BOARD_SIZE; ++col) {
                const int at = kingside ? BOARD_SIZE - 1 - col : col;
                if (rookCol == NO_COL && (kingside ? at > king : at < king) && expected.board[row][at] == rook) rookCol = at;
            }
        } else if (lower >= 'a' && lower <= 'h') {
            const int file = lower - 'a';
            if (king == NO_COL || file == king || expected.board[row][file] != rook) continue;
            kingside = file > king;
            rookCol = file;
        } else {
            continue;
        }
        const int bit = kingside ? CASTLE_KINGSIDE : CASTLE_QUEENSIDE;
        given[color] |= bit;
        if (rookCol == NO_COL) continue;
        withRook[color] |= bit;
        chess960 = chess960 || king != KING_START_COL || rookCol != (kingside ? KINGSIDE_ROOK_COL : QUEENSIDE_ROOK_COL);
    }
    expected.whiteCastling = chess960 ? withRook[WHITE] : given[WHITE];
    expected.blackCastling = chess960 ? withRook[BLACK] : given[BLACK];
}

Expected expectedLoad(const unsigned char* data, std::size_t size) {
    Expected expected;
    const std::vector<std::string> words = wordsOf(firstLine(data, size));
    if (words.size() < 2) return expected;
    std::vector<std::string> ranks(1);
    for (char character : words[0]) {
        if (character == '/')
            ranks.emplace_back();
        else
            ranks.back() += character;
    }
    if (ranks.size() != BOARD_SIZE) return expected;
    for (int rank = 0; rank < BOARD_SIZE; ++rank) {
        const int row = LAST_ROW - rank;
        int col = 0;
        for (char character : ranks[rank]) {
            const PieceCode piece = pieceFor(character);
            if (piece != EMPTY) {
                if (col >= BOARD_SIZE) return expected;
                expected.board[row][col++] = piece;
                if (isOfficer(piece)) ++expected.nonPawnPieces;
            } else if (character >= '1' && character <= '8') {
                for (int count = character - '0'; count > 0; --count) {
                    if (col >= BOARD_SIZE) return expected;
                    expected.board[row][col++] = EMPTY;
                }
            }
        }
        if (col != BOARD_SIZE) return expected;
    }
    expected.side = words[1][0] == 'w' ? WHITE : BLACK;
    if (words.size() > 2) expectCastling(words[2], expected);
    expected.loads = true;
    return expected;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::startEngine();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    fuzz::resetPosition();
    // A game under way, with an en-passant file and a running half-move clock,
    // so that a load that forgets to reset something shows.
    frontend::xboardMode = true;
    for (const char* move : OPENING) frontend::playUserMove(move);
    const fuzz::Snapshot before = fuzz::takeSnapshot();

    const Expected expected = expectedLoad(data, size);
    frontend::loadPosition(fuzz::writeTempFile("morvelline-fuzz-position", data, size));

    fuzz::check(board::positionIsConsistent(), "position consistent after a load");
    fuzz::check(!book::bookActive, "a load switches the book off");
    if (!expected.loads) {
        fuzz::check(fuzz::takeSnapshot() == before, "a rejected file leaves the position unchanged");
        return 0;
    }
    fuzz::check(std::memcmp(board::Board, expected.board, sizeof board::Board) == 0, "the loaded board");
    fuzz::check(board::sideToMove == expected.side, "the loaded side");
    fuzz::check(board::whiteCastling == expected.whiteCastling && board::blackCastling == expected.blackCastling,
                "the loaded castling rights");
    fuzz::check(board::nonPawnPieceCount == expected.nonPawnPieces, "the loaded piece count");
    fuzz::check(board::whiteEpFile == NO_EP_FILE && board::blackEpFile == NO_EP_FILE, "no en passant after a load");
    fuzz::check(board::gamePly == 0 && board::halfMoveClock == 0, "counters start from 0 after a load");
    fuzz::check(board::currentKey == board::computeKey(), "key equals computeKey after a load");
    return 0;
}
