// A typed move is played only when it is a legal move of the side to move; anything
// else is refused before it reaches the board.
#include "frontend/movetext.h"

#include <cstring>

#include "board/castling.h"
#include "board/position.h"
#include "frontend/console.h"
#include "frontend/output.h"
#include "frontend/san.h"
#include "movegen/movelist.h"
#include "search/think.h"

namespace frontend {

bool chess960Notation = false;

namespace {

constexpr int PROMOTION_LETTER_INDEX = 4;
constexpr const char* CASTLING_LETTERS[board::CASTLING_SIDES] = {"O-O", "O-O-O"};
constexpr const char* CASTLING_ZEROS[board::CASTLING_SIDES] = {"0-0", "0-0-0"};

// The two ways coordinates write castling: the king's two-square move, or the king taking its rook.
enum class CastlingForm { TWO_SQUARES, KING_TAKES_ROOK };

// The console reads both; an interface only the one its notation writes.
bool readsForm(CastlingForm form) {
    if (form == CastlingForm::KING_TAKES_ROOK) return chess960Notation || (!uciMode && !xboardMode);
    return !chess960Notation;
}

// The form of a castling record's own squares.
CastlingForm storedForm() {
    return board::chess960Castling ? CastlingForm::KING_TAKES_ROOK : CastlingForm::TWO_SQUARES;
}

// The squares a move's text names: a castling's target as the notation in force writes it.
// A king that stays where it is can only be written taking its rook.
void textSquares(const Move& move, int& toRow, int& toCol) {
    toRow = move.toRow;
    toCol = move.toCol;
    if (!move.castling) return;
    const board::CastlingSquares castle = board::castlingSquaresOf(move);
    toCol = chess960Notation || castle.kingTo == castle.kingFrom ? castle.rookFrom : castle.kingTo;
}

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

bool writtenInLetters(const Move& move) { return move.castling && chess960Notation && xboardMode && !uciMode; }

void moveReplyText(const Move& move, char* text) {
    std::memset(text, ' ', REPLY_TEXT_LENGTH);
    text[REPLY_TEXT_LENGTH] = '\0';
    if (writtenInLetters(move)) {
        const char* letters = CASTLING_LETTERS[board::castlingSquaresOf(move).side];
        std::memcpy(text, letters, std::strlen(letters));
        return;
    }
    int toRow = 0;
    int toCol = 0;
    textSquares(move, toRow, toCol);
    text[0] = static_cast<char>('a' + move.fromCol);
    text[1] = static_cast<char>('1' + move.fromRow);
    text[2] = static_cast<char>('a' + toCol);
    text[3] = static_cast<char>('1' + toRow);
    text[PROMOTION_LETTER_INDEX] = promotionLetter(move.promotion);
}

void coordinateText(const Move& move, char (&text)[REPLY_BUFFER_SIZE]) {
    int toRow = 0;
    int toCol = 0;
    textSquares(move, toRow, toCol);
    text[0] = static_cast<char>('a' + move.fromCol);
    text[1] = static_cast<char>('1' + move.fromRow);
    text[2] = static_cast<char>('a' + toCol);
    text[3] = static_cast<char>('1' + toRow);
    text[PROMOTION_LETTER_INDEX] = promotionLetter(move.promotion);
    text[move.promotion == EMPTY ? PROMOTION_LETTER_INDEX : PROMOTION_LETTER_INDEX + 1] = '\0';
}

bool legalMoveOfSquares(int fromRow, int fromCol, int toRow, int toCol, PieceCode promotion, Move& move) {
    Move found{};
    // A castling record's squares count only where the notation writes castling that way.
    if (search::findLegalMove(fromRow, fromCol, toRow, toCol, promotion, found) &&
        (!found.castling || readsForm(storedForm()))) {
        move = found;
        return true;
    }
    if (fromRow != toRow) return false;
    LegalMoves legal;
    collectLegalMoves(legal);
    for (int index = 0; index < legal.count; ++index) {
        const Move& castling = legal.move[index];
        if (!castling.castling || castling.fromRow != fromRow || castling.fromCol != fromCol) continue;
        const board::CastlingSquares castle = board::castlingSquaresOf(castling);
        const bool takesRook = toCol == castle.rookFrom && readsForm(CastlingForm::KING_TAKES_ROOK);
        const bool twoSquares =
            toCol == castle.kingTo && castle.kingTo != castle.kingFrom && readsForm(CastlingForm::TWO_SQUARES);
        if (takesRook || twoSquares) {
            move = castling;
            return true;
        }
    }
    return false;
}

namespace {
// The side "O-O" or "O-O-O" (or with zeros) names; CASTLING_SIDES for any other text.
int castlingSideOfLetters(const char* text) {
    for (int side = 0; side < board::CASTLING_SIDES; ++side)
        if (std::strcmp(text, CASTLING_LETTERS[side]) == 0 || std::strcmp(text, CASTLING_ZEROS[side]) == 0) return side;
    return board::CASTLING_SIDES;
}
}  // namespace

bool legalCastlingOfLetters(const char* text, Move& move) {
    const int side = castlingSideOfLetters(text);
    if (side == board::CASTLING_SIDES) return false;
    LegalMoves legal;
    collectLegalMoves(legal);
    for (int index = 0; index < legal.count; ++index) {
        if (legal.move[index].castling && board::castlingSquaresOf(legal.move[index]).side == side) {
            move = legal.move[index];
            return true;
        }
    }
    return false;
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
    Move castling{};
    if ((piece == WHITE_KING || piece == BLACK_KING) &&
        legalMoveOfSquares(fromRow, fromCol, toRow, toCol, EMPTY, castling) && castling.castling) {
        move = castling;
        return MoveTextKind::PLAYABLE;
    }

    move = Move{};
    move.piece = static_cast<std::int8_t>(piece);
    move.fromRow = static_cast<std::int8_t>(fromRow);
    move.fromCol = static_cast<std::int8_t>(fromCol);
    move.toRow = static_cast<std::int8_t>(toRow);
    move.toCol = static_cast<std::int8_t>(toCol);
    move.captured = board::Board[toRow][toCol];
    move.promotion = EMPTY;
    if ((toRow == LAST_ROW && piece == WHITE_PAWN) || (toRow == FIRST_ROW && piece == BLACK_PAWN))
        move.promotion = promotionFromLetter(text[PROMOTION_LETTER_INDEX], piece == WHITE_PAWN);
    const bool king = piece == WHITE_KING || piece == BLACK_KING;
    // A castling the notation names was taken above; this one is refused as not legal.
    move.castling = king && !board::chess960Castling && fromCol == KING_START_COL &&
                    (toCol == KINGSIDE_KING_COL || toCol == QUEENSIDE_KING_COL);
    const bool pawn = piece == WHITE_PAWN || piece == BLACK_PAWN;
    move.enPassant = pawn && fromCol != toCol && move.captured == EMPTY;
    // The loss comes off the side to move's word, so only its own king and rooks cost anything.
    const bool rook = piece == WHITE_ROOK || piece == BLACK_ROOK;
    const int& word = board::sideToMove == WHITE ? board::whiteCastling : board::blackCastling;
    if (!move.castling && (king || rook) && belongsToSideToMove(piece) && word != 0)
        move.castlingLoss = static_cast<std::int16_t>(movegen::castlingLossFor(piece, fromCol, word));
    if (board::chess960Castling && belongsToSideToMove(piece))
        move.castlingLoss = static_cast<std::int16_t>(movegen::chess960CastlingLoss(move));
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
    return legalMoveOfSquares(move.fromRow, move.fromCol, move.toRow, move.toCol, promotion, generated) &&
           generated.castling == move.castling;
}

bool playUserMove(const char* text) {
    Move move{};
    if (castlingSideOfLetters(text) != board::CASTLING_SIDES) {
        if (legalCastlingOfLetters(text, move)) return playLegalUserMove(move, text);
        printIllegalMove(text);
        return false;
    }
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
