// A position is parsed into a scratch record first, so a rejected line leaves
// the game's position exactly as it was.
#include "frontend/fen.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "board/attacks.h"
#include "board/castling.h"
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

namespace {

constexpr int NO_COL = -1;

// The column of the colour's king on its back row, NO_COL when it stands elsewhere.
int backRowKingCol(const LoadedPosition& position, Color color) {
    const int back = color == WHITE ? FIRST_ROW : LAST_ROW;
    const PieceCode king = color == WHITE ? WHITE_KING : BLACK_KING;
    for (int col = FIRST_COL; col <= LAST_COL; ++col)
        if (position.board[back][col] == king) return col;
    return NO_COL;
}

// The outermost rook of the colour on the back row on that side of the king, NO_COL when none.
int outermostRookCol(const LoadedPosition& position, Color color, int side, int kingCol) {
    const int back = color == WHITE ? FIRST_ROW : LAST_ROW;
    const PieceCode rook = color == WHITE ? WHITE_ROOK : BLACK_ROOK;
    if (side == board::KINGSIDE) {
        for (int col = LAST_COL; col > kingCol; --col)
            if (position.board[back][col] == rook) return col;
    } else {
        for (int col = FIRST_COL; col < kingCol; ++col)
            if (position.board[back][col] == rook) return col;
    }
    return NO_COL;
}

}  // namespace

void parseCastling(const char* castling, LoadedPosition& position) {
    position.whiteCastling = 0;
    position.blackCastling = 0;
    position.chess960Castling = false;
    int rookFound[2] = {0, 0};  // the rights bits given with their rook, by colour
    for (int color = 0; color < 2; ++color)
        for (int side = 0; side < board::CASTLING_SIDES; ++side)
            position.castlingRookCol[color][side] = board::STANDARD_ROOK_COLS[side];
    for (const char* cursor = castling; cursor != nullptr && *cursor != '\0'; ++cursor) {
        const char letter = *cursor;
        const bool upper = letter >= 'A' && letter <= 'Z';
        const Color color = upper ? WHITE : BLACK;
        const char lower = upper ? static_cast<char>(letter - 'A' + 'a') : letter;
        const int kingCol = backRowKingCol(position, color);
        int side = board::KINGSIDE;
        int rookCol = NO_COL;
        if (lower == 'k' || lower == 'q') {
            side = lower == 'k' ? board::KINGSIDE : board::QUEENSIDE;
            if (kingCol != NO_COL) rookCol = outermostRookCol(position, color, side, kingCol);
        } else if (lower >= 'a' && lower <= 'h') {
            const int file = lower - 'a';
            const PieceCode rook = color == WHITE ? WHITE_ROOK : BLACK_ROOK;
            const int back = color == WHITE ? FIRST_ROW : LAST_ROW;
            if (kingCol == NO_COL || file == kingCol || position.board[back][file] != rook) continue;
            side = file > kingCol ? board::KINGSIDE : board::QUEENSIDE;
            rookCol = file;
        } else {
            continue;
        }
        const int right = board::CASTLING_RIGHT_BITS[side];
        (color == WHITE ? position.whiteCastling : position.blackCastling) |= right;
        if (rookCol == NO_COL) continue;
        rookFound[color] |= right;
        position.castlingRookCol[color][side] = rookCol;
        if (kingCol != KING_START_COL || rookCol != board::STANDARD_ROOK_COLS[side]) position.chess960Castling = true;
    }
    // Chess960 castling keeps the rules exactly: a right without its rook is no right there.
    if (position.chess960Castling) {
        position.whiteCastling &= rookFound[WHITE];
        position.blackCastling &= rookFound[BLACK];
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
    board::setCastlingRooks(position.castlingRookCol, position.chess960Castling);
    board::nonPawnPieceCount = position.nonPawnPieces;
    board::whiteEpFile = position.whiteEpFile;
    board::blackEpFile = position.blackEpFile;
    board::currentKey = board::computeKey();
    board::startGameRecord(position.halfMoves, position.moveNumber);
    book::bookActive = false;
    book::gameFromInitialPosition = false;
}

namespace {
// X-FEN: K or Q for the outermost rook on its side, the rook's file where another stands further
// out (possible only in Chess960); upper case for White.
char castlingLetter(Color color, int side) {
    const int rookCol = board::castlingRookCol[color][side];
    const int back = color == WHITE ? FIRST_ROW : LAST_ROW;
    const PieceCode rook = color == WHITE ? WHITE_ROOK : BLACK_ROOK;
    bool rookFurtherOut = false;
    if (board::chess960Castling) {
        const int step = side == board::KINGSIDE ? 1 : -1;
        for (int col = rookCol + step; col >= FIRST_COL && col <= LAST_COL; col += step)
            rookFurtherOut = rookFurtherOut || board::Board[back][col] == rook;
    }
    const char letter = rookFurtherOut ? static_cast<char>('a' + rookCol) : (side == board::KINGSIDE ? 'k' : 'q');
    return color == WHITE ? static_cast<char>(letter - 'a' + 'A') : letter;
}
}  // namespace

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
    const int rights[2] = {board::castlingKeyIndex(board::blackCastling), board::castlingKeyIndex(board::whiteCastling)};
    if ((rights[WHITE] | rights[BLACK]) == 0) put('-');
    for (const Color color : {WHITE, BLACK})
        for (int side = 0; side < board::CASTLING_SIDES; ++side)
            if (rights[color] & board::CASTLING_RIGHT_BITS[side]) put(castlingLetter(color, side));
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
