// A position is parsed into a scratch record first, so a rejected line leaves
// the game's position exactly as it was.
#include "frontend/loader.h"

#include <cstdio>
#include <cstring>

#include "board/keys.h"
#include "board/position.h"
#include "book/book.h"
#include "frontend/console.h"
#include "frontend/input.h"
#include "frontend/output.h"
#include "frontend/words.h"

namespace frontend {

namespace {

constexpr int PLACEMENT_FIELD = 0;
constexpr int SIDE_FIELD = 1;
constexpr int CASTLING_FIELD = 2;

PieceCode pieceOfLetter(char letter) {
    switch (letter) {
        case 'k': return BLACK_KING;
        case 'K': return WHITE_KING;
        case 'q': return BLACK_QUEEN;
        case 'Q': return WHITE_QUEEN;
        case 'r': return BLACK_ROOK;
        case 'R': return WHITE_ROOK;
        case 'b': return BLACK_BISHOP;
        case 'B': return WHITE_BISHOP;
        case 'n': return BLACK_KNIGHT;
        case 'N': return WHITE_KNIGHT;
        case 'p': return BLACK_PAWN;
        case 'P': return WHITE_PAWN;
        default: return EMPTY;
    }
}

}  // namespace

bool parsePlacement(const char* placement, LoadedPosition& position) {
    for (auto& row : position.board)
        for (PieceCode& square : row) square = EMPTY;
    position.nonPawnPieces = 0;
    int row = LAST_ROW;
    int col = FIRST_COL;
    for (const char* cursor = placement; *cursor != '\0'; ++cursor) {
        const char character = *cursor;
        const PieceCode piece = pieceOfLetter(character);
        if (piece != EMPTY) {
            if (col > LAST_COL) return false;
            position.board[row][col++] = piece;
            if (isOfficer(piece)) ++position.nonPawnPieces;
        } else if (character == '/') {
            if (col != BOARD_SIZE || row == FIRST_ROW) return false;
            --row;
            col = FIRST_COL;
        } else if (character >= '1' && character <= '8') {
            col += character - '0';
            if (col > BOARD_SIZE) return false;
        }
    }
    return row == FIRST_ROW && col == BOARD_SIZE;
}

void parseCastling(const char* castling, LoadedPosition& position) {
    position.whiteCastling = 0;
    position.blackCastling = 0;
    for (const char* cursor = castling; cursor != nullptr && *cursor != '\0'; ++cursor) {
        switch (*cursor) {
            case 'K': position.whiteCastling |= CASTLE_KINGSIDE; break;
            case 'Q': position.whiteCastling |= CASTLE_QUEENSIDE; break;
            case 'k': position.blackCastling |= CASTLE_KINGSIDE; break;
            case 'q': position.blackCastling |= CASTLE_QUEENSIDE; break;
            default: break;
        }
    }
}

void installPosition(const LoadedPosition& position) {
    std::memcpy(board::Board, position.board, sizeof board::Board);
    board::sideToMove = position.side;
    board::locateKings();
    board::whiteCastling = position.whiteCastling;
    board::blackCastling = position.blackCastling;
    board::nonPawnPieceCount = position.nonPawnPieces;
    board::whiteEpFile = NO_EP_FILE;
    board::blackEpFile = NO_EP_FILE;
    board::gamePly = 0;
    board::halfMoveClock = 0;
    board::currentKey = board::computeKey();
    board::GameHistory[0] = board::currentKey;
    book::bookActive = false;
}

namespace {

// A first line this long is no position; reading stops there, so an endless
// file without a line feed (a device, say) cannot hang the engine.
constexpr std::size_t MAX_POSITION_FILE_BYTES = 4096;

// The file's first line as readLine cuts it, from at most MAX_POSITION_FILE_BYTES bytes.
void readFirstLine(std::FILE* file, char* line, int size) {
    char head[MAX_POSITION_FILE_BYTES];
    const std::size_t length = std::fread(head, 1, sizeof head, file);
    line[0] = '\0';
    if (length == 0) return;
    std::FILE* text = fmemopen(head, length, "r");
    if (text == nullptr) return;
    readLine(line, size, text);
    std::fclose(text);
}

}  // namespace

void loadPosition(const char* argument) {
    if (std::strcmp(argument, "init") == 0) {
        newGame();
        return;
    }
    book::bookActive = false;
    std::FILE* file = std::fopen(argument, "r");
    if (file == nullptr) {
        printFileMissing();
        return;
    }
    char line[POSITION_LINE_SIZE];
    readFirstLine(file, line, POSITION_LINE_SIZE);
    std::fclose(file);

    const Words fields = splitWords(line);
    LoadedPosition position{};
    if (fields.count <= PLACEMENT_FIELD || !parsePlacement(fields.word[PLACEMENT_FIELD], position)) {
        printPositionNotLoaded("the placement is not eight ranks of eight squares");
        return;
    }
    if (fields.count <= SIDE_FIELD) {
        printPositionNotLoaded("the side to move is missing");
        return;
    }
    position.side = fields.word[SIDE_FIELD][0] == 'w' ? WHITE : BLACK;
    parseCastling(fields.count > CASTLING_FIELD ? fields.word[CASTLING_FIELD] : nullptr, position);
    installPosition(position);
}

}  // namespace frontend
