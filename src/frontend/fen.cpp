// A position is parsed into a scratch record first, so a rejected line leaves
// the game's position exactly as it was.
#include "frontend/fen.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "board/attacks.h"
#include "board/keys.h"
#include "board/position.h"
#include "board/repetition.h"
#include "book/book.h"

namespace frontend {

namespace {

constexpr int PLACEMENT_FIELD = 0;
constexpr int SIDE_FIELD = 1;
constexpr int CASTLING_FIELD = 2;
constexpr int EN_PASSANT_FIELD = 3;
constexpr int HALF_MOVE_FIELD = 4;
constexpr int MOVE_NUMBER_FIELD = 5;
constexpr int FIRST_MOVE_NUMBER = 1;
// Past the fifty-move limit every count behaves alike; the search adds a ply per node to it.
constexpr long long MAX_HALF_MOVE_CLOCK = 1000;
// The rows where a pawn that has just advanced two squares stands, and the squares behind it.
constexpr int WHITE_DOUBLE_STEP_ROW = 3;
constexpr int BLACK_DOUBLE_STEP_ROW = 4;
constexpr char WHITE_TARGET_RANK = '3';
constexpr char BLACK_TARGET_RANK = '6';

constexpr char PIECE_LETTERS[PIECE_CODE_COUNT + 1] = "pkqbnr.RNBQKP";

PieceCode pieceOfLetter(char letter) {
    if (letter == '\0' || letter == PIECE_LETTERS[EMPTY]) return EMPTY;
    const char* found = std::strchr(PIECE_LETTERS, letter);
    return found == nullptr ? EMPTY : static_cast<PieceCode>(found - PIECE_LETTERS);
}

// Kept only when the pawn that just advanced really stands in front of its target square.
bool parseEnPassant(const char* text, LoadedPosition& position) {
    position.whiteEpFile = position.blackEpFile = NO_EP_FILE;
    if (std::strcmp(text, "-") == 0) return true;
    if (std::strlen(text) != 2 || text[0] < 'a' || text[0] > 'h') return false;
    const int file = text[0] - 'a';
    const PieceCode (&squares)[BOARD_SIZE][BOARD_SIZE] = position.board;
    if (text[1] == BLACK_TARGET_RANK) {
        if (position.side == WHITE && squares[BLACK_DOUBLE_STEP_ROW][file] == BLACK_PAWN &&
            squares[BLACK_DOUBLE_STEP_ROW + 1][file] == EMPTY && squares[BLACK_DOUBLE_STEP_ROW + 2][file] == EMPTY)
            position.blackEpFile = file;
        return true;
    }
    if (text[1] == WHITE_TARGET_RANK) {
        if (position.side == BLACK && squares[WHITE_DOUBLE_STEP_ROW][file] == WHITE_PAWN &&
            squares[WHITE_DOUBLE_STEP_ROW - 1][file] == EMPTY && squares[WHITE_DOUBLE_STEP_ROW - 2][file] == EMPTY)
            position.whiteEpFile = file;
        return true;
    }
    return false;
}

bool parseCounter(const char* text, long long& value) { return parseInteger(text, value) && value >= 0; }

}  // namespace

bool hasOneKingEach(const LoadedPosition& position) {
    int whiteKings = 0;
    int blackKings = 0;
    for (const auto& row : position.board)
        for (PieceCode piece : row) {
            whiteKings += piece == WHITE_KING;
            blackKings += piece == BLACK_KING;
        }
    return whiteKings == 1 && blackKings == 1;
}

bool hasPlayablePlacement(const LoadedPosition& position) {
    for (int col = FIRST_COL; col <= LAST_COL; ++col)
        for (const int row : {FIRST_ROW, LAST_ROW}) {
            const PieceCode piece = position.board[row][col];
            if (piece == WHITE_PAWN || piece == BLACK_PAWN) return false;
        }
    return hasOneKingEach(position);
}

bool isPlayablePosition(const LoadedPosition& position) {
    if (!hasPlayablePlacement(position)) return false;
    // The attack test reads the game's board and what is kept beside it: the loaded board
    // stands in for a moment, and every piece of that state is put back as it was.
    PieceCode savedBoard[BOARD_SIZE][BOARD_SIZE];
    std::memcpy(savedBoard, board::Board, sizeof savedBoard);
    const int savedKings[2] = {board::kingSquare[0], board::kingSquare[1]};
    const bool savedUnique = board::kingsAreUnique;
    const std::int64_t savedMaterial = board::packedMaterial;
    std::uint64_t savedBits[PIECE_CODE_COUNT];
    std::memcpy(savedBits, board::pieceBits, sizeof savedBits);
    std::memcpy(board::Board, position.board, sizeof board::Board);
    board::locateKings();
    // Attacked by the side to move: the king of the side that has just moved stands in check.
    const bool moverInCheck = board::isKingAttacked(position.side);
    std::memcpy(board::Board, savedBoard, sizeof savedBoard);
    board::kingSquare[0] = savedKings[0];
    board::kingSquare[1] = savedKings[1];
    board::kingsAreUnique = savedUnique;
    board::packedMaterial = savedMaterial;
    std::memcpy(board::pieceBits, savedBits, sizeof savedBits);
    return !moverInCheck;
}

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

const char* readFen(const Words& words, int first, int count, FenFields fields, LoadedPosition& position) {
    const auto field = [&](int index) { return index < count ? words.word[first + index] : nullptr; };
    if (field(PLACEMENT_FIELD) == nullptr || !parsePlacement(field(PLACEMENT_FIELD), position))
        return "the placement is not eight ranks of eight squares";
    if (field(SIDE_FIELD) == nullptr) return "the side to move is missing";
    // A position file's side field that starts with "w" is White's move and any other Black's, as
    // it always was; six fields come from an interface, which has no excuse for anything but w or b.
    const char* side = field(SIDE_FIELD);
    if (fields == FenFields::ALL_SIX && std::strcmp(side, "w") != 0 && std::strcmp(side, "b") != 0)
        return "the side to move is not w or b";
    if (fields == FenFields::ALL_SIX && !hasOneKingEach(position)) return "each side needs exactly one king";
    position.side = side[0] == 'w' ? WHITE : BLACK;
    parseCastling(field(CASTLING_FIELD), position);
    position.whiteEpFile = position.blackEpFile = NO_EP_FILE;
    position.halfMoves = 0;
    position.moveNumber = FIRST_MOVE_NUMBER;
    if (fields == FenFields::FIRST_THREE) return nullptr;

    if (field(EN_PASSANT_FIELD) != nullptr && !parseEnPassant(field(EN_PASSANT_FIELD), position))
        return "the en-passant square is not a square of the third or sixth rank";
    long long halfMoves = 0;
    if (field(HALF_MOVE_FIELD) != nullptr && !parseCounter(field(HALF_MOVE_FIELD), halfMoves))
        return "the half-move clock is not a number";
    long long moveNumber = FIRST_MOVE_NUMBER;
    if (field(MOVE_NUMBER_FIELD) != nullptr && !parseCounter(field(MOVE_NUMBER_FIELD), moveNumber))
        return "the move number is not a number";
    position.halfMoves = static_cast<int>(halfMoves > MAX_HALF_MOVE_CLOCK ? MAX_HALF_MOVE_CLOCK : halfMoves);
    position.moveNumber = static_cast<int>(moveNumber < FIRST_MOVE_NUMBER ? FIRST_MOVE_NUMBER : moveNumber);
    return nullptr;
}

void installPosition(const LoadedPosition& position) {
    std::memcpy(board::Board, position.board, sizeof board::Board);
    board::sideToMove = position.side;
    board::locateKings();
    board::whiteCastling = position.whiteCastling;
    board::blackCastling = position.blackCastling;
    board::nonPawnPieceCount = position.nonPawnPieces;
    board::whiteEpFile = position.whiteEpFile;
    board::blackEpFile = position.blackEpFile;
    board::currentKey = board::computeKey();
    board::startGameRecord(position.halfMoves, position.moveNumber);
    book::bookActive = false;
    book::gameFromInitialPosition = false;
}

void writeFen(char (&text)[FEN_TEXT_SIZE]) {
    int used = 0;
    const auto put = [&](char character) {
        if (used < FEN_TEXT_SIZE - 1) text[used++] = character;
    };
    for (int row = LAST_ROW; row >= FIRST_ROW; --row) {
        int empties = 0;
        for (int col = FIRST_COL; col <= LAST_COL; ++col) {
            const PieceCode piece = board::Board[row][col];
            if (piece == EMPTY || piece < 0 || piece >= PIECE_CODE_COUNT) {
                ++empties;
                continue;
            }
            if (empties > 0) put(static_cast<char>('0' + empties));
            empties = 0;
            put(PIECE_LETTERS[piece]);
        }
        if (empties > 0) put(static_cast<char>('0' + empties));
        if (row > FIRST_ROW) put('/');
    }
    put(' ');
    put(board::sideToMove == WHITE ? 'w' : 'b');
    put(' ');
    const int white = board::castlingKeyIndex(board::whiteCastling);
    const int black = board::castlingKeyIndex(board::blackCastling);
    if ((white | black) == 0) put('-');
    if (white & CASTLE_KINGSIDE) put('K');
    if (white & CASTLE_QUEENSIDE) put('Q');
    if (black & CASTLE_KINGSIDE) put('k');
    if (black & CASTLE_QUEENSIDE) put('q');
    put(' ');
    // Only the side to move can capture en passant: the file of the pawn the opponent just advanced.
    const int epFile = board::sideToMove == WHITE ? board::blackEpFile : board::whiteEpFile;
    if (epFile >= FIRST_COL && epFile <= LAST_COL) {
        put(static_cast<char>('a' + epFile));
        put(board::sideToMove == WHITE ? BLACK_TARGET_RANK : WHITE_TARGET_RANK);
    } else {
        put('-');
    }
    text[used] = '\0';
    std::snprintf(text + used, FEN_TEXT_SIZE - used, " %d %d", board::halfMoveClock, board::currentMoveNumber());
}

}  // namespace frontend
