// SAN is matched against the legal moves of the position, never built into a move by
// hand, so whatever it accepts is a move the generator makes.
#include "frontend/san.h"

#include <cstdio>
#include <cstring>

#include "board/attacks.h"
#include "board/castling.h"
#include "board/makemove.h"
#include "board/position.h"
#include "frontend/input.h"
#include "frontend/movetext.h"
#include "frontend/output.h"
#include "movegen/generate.h"
#include "movegen/movelist.h"
#include "search/think.h"

namespace frontend {

namespace {

// The white code of a kind is this minus the black code.
constexpr PieceCode COLOUR_MIRROR = WHITE_PAWN + BLACK_PAWN;
constexpr int SQUARE_TEXT_LENGTH = 2;
constexpr const char* KINGSIDE_CASTLING = "O-O";
constexpr const char* QUEENSIDE_CASTLING = "O-O-O";
constexpr const char* KINGSIDE_CASTLING_ZEROS = "0-0";
constexpr const char* QUEENSIDE_CASTLING_ZEROS = "0-0-0";
// Signs people put after a move; they say nothing about which move it is.
constexpr const char* ANNOTATION_SIGNS = "+#!?";
constexpr int NO_LINE = -1;

PieceCode kindOf(PieceCode code) { return isWhitePiece(code) ? code : COLOUR_MIRROR - code; }

char letterOf(PieceCode kind) {
    switch (kind) {
        case WHITE_KING: return 'K';
        case WHITE_QUEEN: return 'Q';
        case WHITE_ROOK: return 'R';
        case WHITE_BISHOP: return 'B';
        case WHITE_KNIGHT: return 'N';
        default: return '\0';
    }
}

// Upper-case piece letters only: a lower-case b is the b-file.
PieceCode kindOfLetter(char letter) {
    switch (letter) {
        case 'K': return WHITE_KING;
        case 'Q': return WHITE_QUEEN;
        case 'R': return WHITE_ROOK;
        case 'B': return WHITE_BISHOP;
        case 'N': return WHITE_KNIGHT;
        default: return EMPTY;
    }
}

// After "=" or straight after the rank either case reads, as people type it.
PieceCode promotionOfLetter(char letter) {
    switch (letter) {
        case 'Q': case 'q': return WHITE_QUEEN;
        case 'R': case 'r': return WHITE_ROOK;
        case 'B': case 'b': return WHITE_BISHOP;
        case 'N': case 'n': return WHITE_KNIGHT;
        default: return EMPTY;
    }
}

const char* nameOf(PieceCode kind) {
    switch (kind) {
        case WHITE_KING: return "king";
        case WHITE_QUEEN: return "queen";
        case WHITE_ROOK: return "rook";
        case WHITE_BISHOP: return "bishop";
        case WHITE_KNIGHT: return "knight";
        default: return "pawn";
    }
}

bool isFile(char character) { return character >= 'a' && character <= 'h'; }
bool isRank(char character) { return character >= '1' && character <= '8'; }
bool isLowerLetter(char character) { return character >= 'a' && character <= 'z'; }
bool isDigit(char character) { return character >= '0' && character <= '9'; }
bool isAlphanumeric(char character) {
    return isLowerLetter(character) || isDigit(character) || (character >= 'A' && character <= 'Z');
}
bool startsWith(const char* text, const char* prefix) { return std::strncmp(text, prefix, std::strlen(prefix)) == 0; }

bool capturesSomething(const Move& move) { return move.captured != EMPTY || move.enPassant; }
bool promotes(const Move& move) { return move.promotion != EMPTY; }

// The text without the signs after it; false when it is longer than any move.
bool moveBody(const char* text, char (&body)[LINE_BUFFER_SIZE]) {
    std::size_t length = std::strlen(text);
    if (length >= LINE_BUFFER_SIZE) return false;
    while (length > 0 && std::strchr(ANNOTATION_SIGNS, text[length - 1]) != nullptr) --length;
    std::memcpy(body, text, length);
    body[length] = '\0';
    return true;
}

bool castlingShaped(const char* body) {
    return startsWith(body, KINGSIDE_CASTLING) || startsWith(body, KINGSIDE_CASTLING_ZEROS);
}

SanReading refuse(char (&reason)[SAN_REASON_SIZE], const char* text) {
    std::snprintf(reason, SAN_REASON_SIZE, "%s", text);
    return SanReading::REFUSED;
}

SanReading readCastling(const char* body, Move& move, char (&reason)[SAN_REASON_SIZE]) {
    const bool named = std::strcmp(body, KINGSIDE_CASTLING) == 0 || std::strcmp(body, KINGSIDE_CASTLING_ZEROS) == 0 ||
                       std::strcmp(body, QUEENSIDE_CASTLING) == 0 || std::strcmp(body, QUEENSIDE_CASTLING_ZEROS) == 0;
    if (!named) return refuse(reason, "castling is written O-O or O-O-O");
    if (legalCastlingOfLetters(body, move)) return SanReading::MOVE;
    return refuse(reason, "castling to that side is not legal now");
}

// What a piece or pawn text asks for, as far as it says.
struct Request {
    PieceCode kind = WHITE_PAWN;
    PieceCode promotion = EMPTY;  // the white code of the piece asked for
    int toRow = NO_LINE;
    int toCol = NO_LINE;
    int fromRow = NO_LINE;
    int fromCol = NO_LINE;
    bool captureMark = false;
};

// Splits [piece][from file][from rank][x|:|-]square[=][promotion]; false, with the reason, when malformed.
bool parseRequest(const char* body, Request& request, char (&reason)[SAN_REASON_SIZE]) {
    const auto fault = [&](const char* text) {
        refuse(reason, text);
        return false;
    };
    int cursor = 0;
    int end = static_cast<int>(std::strlen(body));
    if (kindOfLetter(body[0]) != EMPTY) request.kind = kindOfLetter(body[cursor++]);
    if (end - cursor > SQUARE_TEXT_LENGTH) {
        const char last = body[end - 1];
        const char beforeLast = body[end - 2];
        if (beforeLast == '=' && promotionOfLetter(last) == EMPTY) return fault("a pawn promotes to Q, R, B or N");
        if (promotionOfLetter(last) != EMPTY && (beforeLast == '=' || isDigit(beforeLast))) {
            request.promotion = promotionOfLetter(last);
            end -= beforeLast == '=' ? 2 : 1;
        }
    }
    if (end > cursor && body[end - 1] == '=') return fault("a pawn promotes to Q, R, B or N");
    if (end - cursor < SQUARE_TEXT_LENGTH || !isLowerLetter(body[end - 2]) || !isDigit(body[end - 1]))
        return fault("it names no square to go to");
    if (!isFile(body[end - 2]) || !isRank(body[end - 1])) {
        std::snprintf(reason, SAN_REASON_SIZE, "%c%c is not a square", body[end - 2], body[end - 1]);
        return false;
    }
    request.toCol = body[end - 2] - 'a';
    request.toRow = body[end - 1] - '1';
    end -= SQUARE_TEXT_LENGTH;
    if (end > cursor && (body[end - 1] == 'x' || body[end - 1] == ':')) {
        request.captureMark = true;
        --end;
    } else if (end > cursor && body[end - 1] == '-') {
        --end;  // the long form, Ng1-f3
    }
    if (cursor < end && isFile(body[cursor])) request.fromCol = body[cursor++] - 'a';
    if (cursor < end && isRank(body[cursor])) request.fromRow = body[cursor++] - '1';
    if (cursor != end) return fault("it is not a move in algebraic notation");
    if (request.promotion != EMPTY && request.kind != WHITE_PAWN) return fault("only a pawn promotes");
    const int lastRow = board::sideToMove == WHITE ? LAST_ROW : FIRST_ROW;
    if (request.promotion != EMPTY && request.toRow != lastRow) return fault("a pawn promotes only on the last rank");
    return true;
}

// " on the e-file", " on rank 1", " on b1" or nothing: the origin the text named.
void describeOrigin(const Request& request, char* text, int size) {
    if (request.fromCol != NO_LINE && request.fromRow != NO_LINE)
        std::snprintf(text, size, " on %c%c", 'a' + request.fromCol, '1' + request.fromRow);
    else if (request.fromCol != NO_LINE)
        std::snprintf(text, size, " on the %c-file", 'a' + request.fromCol);
    else if (request.fromRow != NO_LINE)
        std::snprintf(text, size, " on rank %c", '1' + request.fromRow);
    else
        text[0] = '\0';
}

SanReading readPieceMove(const char* body, Move& move, char (&reason)[SAN_REASON_SIZE]) {
    Request request;
    if (!parseRequest(body, request, reason)) return SanReading::REFUSED;
    const int ply = movegen::searchPly;
    movegen::moveCount[ply] = 0;
    movegen::generateMoves();
    LegalMoves matches;
    matches.count = 0;
    int pseudoLegal = 0;
    bool promotionMissing = false;
    for (int index = 0; index < movegen::moveCount[ply]; ++index) {
        const Move& candidate = movegen::MoveList[ply][index];
        // Chess960 castling is stored as the king taking its rook: "Kh1" never names it.
        if (candidate.castling && board::chess960Castling) continue;
        if (kindOf(candidate.piece) != request.kind || candidate.toRow != request.toRow ||
            candidate.toCol != request.toCol)
            continue;
        if (request.fromCol != NO_LINE && candidate.fromCol != request.fromCol) continue;
        if (request.fromRow != NO_LINE && candidate.fromRow != request.fromRow) continue;
        // A pawn's capture always names the file it comes from: "d5" is never exd5.
        if (request.kind == WHITE_PAWN && request.fromCol == NO_LINE && candidate.fromCol != candidate.toCol) continue;
        if (request.captureMark && !capturesSomething(candidate)) continue;
        if (promotes(candidate) != (request.promotion != EMPTY)) {
            promotionMissing = promotionMissing || promotes(candidate);
            continue;
        }
        if (promotes(candidate) && kindOf(candidate.promotion) != request.promotion) continue;
        ++pseudoLegal;
        Move trial = candidate;
        if (search::isLegalMove(trial)) matches.move[matches.count++] = candidate;
    }
    if (matches.count == 1) {
        move = matches.move[0];
        return SanReading::MOVE;
    }
    if (matches.count > 1) {
        int used = std::snprintf(reason, SAN_REASON_SIZE, "ambiguous:");
        for (int index = 0; index < matches.count && used < SAN_REASON_SIZE; ++index) {
            char san[SAN_TEXT_SIZE];
            writeSan(matches.move[index], false, san);
            used += std::snprintf(reason + used, SAN_REASON_SIZE - used, "%s %s", index == 0 ? "" : ",", san);
        }
        return SanReading::REFUSED;
    }
    if (pseudoLegal > 0) return refuse(reason, "it would leave the king in check");
    const char square[] = {static_cast<char>('a' + request.toCol), static_cast<char>('1' + request.toRow), '\0'};
    if (promotionMissing) {
        std::snprintf(reason, SAN_REASON_SIZE, "say what the pawn becomes, as in %s=Q", square);
        return SanReading::REFUSED;
    }
    char origin[SAN_REASON_SIZE / 2];
    describeOrigin(request, origin, sizeof origin);
    std::snprintf(reason, SAN_REASON_SIZE, "no %s%s can %s %s", nameOf(request.kind), origin,
                  request.captureMark ? "capture on" : "move to", square);
    return SanReading::REFUSED;
}

}  // namespace

void collectLegalMoves(LegalMoves& legal) {
    const int ply = movegen::searchPly;
    movegen::moveCount[ply] = 0;
    movegen::generateMoves();
    legal.count = 0;
    for (int index = 0; index < movegen::moveCount[ply]; ++index) {
        // Tried on a copy: making a move writes into its record.
        Move trial = movegen::MoveList[ply][index];
        if (search::isLegalMove(trial)) legal.move[legal.count++] = movegen::MoveList[ply][index];
    }
}

bool looksLikeSan(const char* text) {
    char body[LINE_BUFFER_SIZE];
    if (!moveBody(text, body) || body[0] == '\0') return false;
    if (castlingShaped(body)) return true;
    if (kindOfLetter(body[0]) != EMPTY) {
        // "Nz9" is a malformed move; "Board" or "Quit" is no move at all.
        bool digit = false;
        for (const char* cursor = body + 1; *cursor != '\0'; ++cursor) {
            if (!isAlphanumeric(*cursor) && std::strchr("x:-=", *cursor) == nullptr) return false;
            digit = digit || isDigit(*cursor);
        }
        return digit;
    }
    if (!isFile(body[0])) return false;
    // e4, e9; exd5, exd; and the short capture ed5.
    return isDigit(body[1]) || ((body[1] == 'x' || body[1] == ':') && isFile(body[2])) ||
           (isFile(body[1]) && isDigit(body[2]));
}

SanReading readSan(const char* text, Move& move, char (&reason)[SAN_REASON_SIZE]) {
    char body[LINE_BUFFER_SIZE];
    if (!moveBody(text, body)) return refuse(reason, "it is not a move in algebraic notation");
    if (castlingShaped(body)) return readCastling(body, move, reason);
    return readPieceMove(body, move, reason);
}

void writeSan(const Move& move, bool withCheck, char (&text)[SAN_TEXT_SIZE]) {
    int used = 0;
    const auto put = [&](char character) {
        if (used < SAN_TEXT_SIZE - 1) text[used++] = character;
    };
    const auto putSquare = [&](int row, int col) {
        put(static_cast<char>('a' + col));
        put(static_cast<char>('1' + row));
    };
    const PieceCode kind = kindOf(move.piece);
    if (move.castling) {
        const bool kingside = board::castlingSquaresOf(move).side == board::KINGSIDE;
        for (const char* sign = kingside ? KINGSIDE_CASTLING : QUEENSIDE_CASTLING; *sign; ++sign)
            put(*sign);
    } else if (kind == WHITE_PAWN) {
        if (capturesSomething(move)) {
            put(static_cast<char>('a' + move.fromCol));
            put('x');
        }
        putSquare(move.toRow, move.toCol);
        if (promotes(move)) {
            put('=');
            put(letterOf(kindOf(move.promotion)));
        }
    } else {
        put(letterOf(kind));
        // Another piece of the kind that can go there: the file tells them apart, else the rank, else both.
        LegalMoves legal;
        collectLegalMoves(legal);
        bool rival = false;
        bool rivalOnFile = false;
        bool rivalOnRank = false;
        for (int index = 0; index < legal.count; ++index) {
            const Move& other = legal.move[index];
            if (other.piece != move.piece || other.toRow != move.toRow || other.toCol != move.toCol ||
                (other.fromRow == move.fromRow && other.fromCol == move.fromCol))
                continue;
            rival = true;
            rivalOnFile = rivalOnFile || other.fromCol == move.fromCol;
            rivalOnRank = rivalOnRank || other.fromRow == move.fromRow;
        }
        if (rival && (!rivalOnFile || rivalOnRank)) put(static_cast<char>('a' + move.fromCol));
        if (rival && rivalOnFile) put(static_cast<char>('1' + move.fromRow));
        if (capturesSomething(move)) put('x');
        putSquare(move.toRow, move.toCol);
    }
    if (withCheck) {
        const Color mover = board::sideToMove;
        const HashKey savedKey = board::currentKey;
        Move made = move;
        board::makeMove(made);
        if (board::isKingAttacked(mover)) {
            LegalMoves replies;
            collectLegalMoves(replies);
            put(replies.count == 0 ? '#' : '+');
        }
        board::unmakeMove(made);
        board::currentKey = savedKey;
    }
    text[used] = '\0';
}

bool playSanMove(const char* text) {
    Move move{};
    char reason[SAN_REASON_SIZE];
    if (readSan(text, move, reason) == SanReading::REFUSED) {
        printIllegalMoveBecause(text, reason);
        return false;
    }
    return playLegalUserMove(move, text);
}

}  // namespace frontend
