// A typed move is played only when it is a legal move of the side to move; anything
// else is refused before it reaches the board.
#include "frontend/movetext.h"

#include <cstring>

#include "board/position.h"
#include "frontend/output.h"
#include "movegen/movelist.h"
#include "search/think.h"

namespace frontend {

namespace {

constexpr int PROMOTION_LETTER_INDEX = 4;

bool isLetter(char character) { return (character >= 'a' && character <= 'z') || (character >= 'A' && character <= 'Z'); }
bool isDigit(char character) { return character >= '0' && character <= '9'; }

char promotionLetter(int promotion) {
    switch (promotion) {
        case BLACK_QUEEN:
        case WHITE_QUEEN: return 'q';
        case BLACK_ROOK:
        case WHITE_ROOK: return 'r';
        case BLACK_BISHOP:
        case WHITE_BISHOP: return 'b';
        case BLACK_KNIGHT:
        case WHITE_KNIGHT: return 'n';
        default: return ' ';
    }
}

PieceCode promotionFromLetter(char letter, bool white) {
    switch (letter) {
        case 'q': return white ? WHITE_QUEEN : BLACK_QUEEN;
        case 'r': return white ? WHITE_ROOK : BLACK_ROOK;
        case 'b': return white ? WHITE_BISHOP : BLACK_BISHOP;
        case 'n': return white ? WHITE_KNIGHT : BLACK_KNIGHT;
        default: return EMPTY;
    }
}

bool belongsToSideToMove(PieceCode piece) {
    return board::sideToMove == WHITE ? isWhitePiece(piece) : isBlackPiece(piece);
}

}  // namespace

void moveReplyText(const Move& move, char* text) {
    std::memset(text, ' ', REPLY_TEXT_LENGTH);
    text[REPLY_TEXT_LENGTH] = '\0';
    text[0] = static_cast<char>('a' + move.fromCol);
    text[1] = static_cast<char>('1' + move.fromRow);
    text[2] = static_cast<char>('a' + move.toCol);
    text[3] = static_cast<char>('1' + move.toRow);
    text[PROMOTION_LETTER_INDEX] = promotionLetter(move.promotion);
}

MoveTextKind parseUserMove(const char* text, Move& move) {
    if (std::strlen(text) < 4 || !isLetter(text[0]) || !isDigit(text[1]) || !isLetter(text[2]) || !isDigit(text[3]))
        return MoveTextKind::NOT_A_MOVE;
    const int fromCol = text[0] - 'a';
    const int fromRow = text[1] - '1';
    const int toCol = text[2] - 'a';
    const int toRow = text[3] - '1';
    if (!onBoard(fromRow, fromCol) || !onBoard(toRow, toCol)) return MoveTextKind::UNPLAYABLE;
    const PieceCode piece = board::Board[fromRow][fromCol];
    if (piece == EMPTY) return MoveTextKind::UNPLAYABLE;

    move = Move{};
    move.piece = static_cast<std::int8_t>(piece);
    move.fromRow = static_cast<std::int16_t>(fromRow);
    move.fromCol = static_cast<std::int16_t>(fromCol);
    move.toRow = static_cast<std::int16_t>(toRow);
    move.toCol = static_cast<std::int16_t>(toCol);
    move.captured = board::Board[toRow][toCol];
    move.promotion = EMPTY;
    if ((toRow == LAST_ROW && piece == WHITE_PAWN) || (toRow == FIRST_ROW && piece == BLACK_PAWN))
        move.promotion = promotionFromLetter(text[PROMOTION_LETTER_INDEX], piece == WHITE_PAWN);
    const bool king = piece == WHITE_KING || piece == BLACK_KING;
    move.castling = king && fromCol == KING_START_COL && (toCol == KINGSIDE_KING_COL || toCol == QUEENSIDE_KING_COL);
    const bool pawn = piece == WHITE_PAWN || piece == BLACK_PAWN;
    move.enPassant = pawn && fromCol != toCol && move.captured == EMPTY;
    // The loss comes off the side to move's word, so only its own king and rooks cost anything.
    const bool rook = piece == WHITE_ROOK || piece == BLACK_ROOK;
    const int& word = board::sideToMove == WHITE ? board::whiteCastling : board::blackCastling;
    if (!move.castling && (king || rook) && belongsToSideToMove(piece) && word != 0)
        move.castlingLoss = static_cast<std::int16_t>(movegen::castlingLossFor(piece, fromCol, word));
    return MoveTextKind::PLAYABLE;
}

bool isLegalUserMove(const Move& move) {
    // A pawn that reaches the last rank without a letter arrives as a pawn: legal
    // exactly when promoting there is, since the piece on the square does not matter.
    PieceCode promotion = move.promotion;
    const bool lastRank = (move.piece == WHITE_PAWN && move.toRow == LAST_ROW) ||
                          (move.piece == BLACK_PAWN && move.toRow == FIRST_ROW);
    if (lastRank && promotion == EMPTY) promotion = move.piece == WHITE_PAWN ? WHITE_QUEEN : BLACK_QUEEN;
    Move generated{};
    return search::findLegalMove(move.fromRow, move.fromCol, move.toRow, move.toCol, promotion, generated);
}

bool playUserMove(const char* text) {
    Move move{};
    switch (parseUserMove(text, move)) {
        case MoveTextKind::NOT_A_MOVE: printUnknownCommand(text); return false;
        case MoveTextKind::UNPLAYABLE: printIllegalMove(text); return false;
        case MoveTextKind::PLAYABLE: break;
    }
    if (!isLegalUserMove(move)) {
        printIllegalMove(text);
        return false;
    }
    return playLegalUserMove(move, text);
}

bool playLegalUserMove(Move& move, const char* text) {
    if (board::gamePly >= board::MAX_GAME_PLY) {
        printError("game too long", text);
        return false;
    }
    search::playGameMove(move);
    return true;
}

}  // namespace frontend
