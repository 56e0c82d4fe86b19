#include "test_support.h"

#include <gtest/gtest.h>

#include <sstream>

#include "board/keys.h"
#include "board/position.h"
#include "book/book.h"
#include "frontend/console.h"
#include "frontend/loader.h"
#include "frontend/movetext.h"
#include "movegen/generate.h"
#include "movegen/movelist.h"
#include "search/think.h"

namespace testing_support {

void freshEngine() {
    book::setBookPath("/nonexistent/book.obk");
    frontend::startUp(12345);
    frontend::chess960Notation = false;
}

void setPosition(const std::string& fen) {
    std::istringstream fields(fen);
    std::string placement, side, castling = "-", epSquare = "-";
    fields >> placement >> side >> castling >> epSquare;
    frontend::LoadedPosition position{};
    ASSERT_TRUE(frontend::parsePlacement(placement.c_str(), position)) << fen;
    position.side = side == "w" ? WHITE : BLACK;
    frontend::parseCastling(castling.c_str(), position);
    frontend::installPosition(position);
    if (epSquare != "-") {
        const int file = epSquare[0] - 'a';
        // The pawn that just advanced belongs to the side not to move.
        if (board::sideToMove == WHITE)
            board::blackEpFile = file;
        else
            board::whiteEpFile = file;
        board::currentKey = board::computeKey();
        board::GameHistory[0] = board::currentKey;
    }
}

std::string moveText(const Move& move) {
    char reply[frontend::REPLY_BUFFER_SIZE];
    frontend::moveReplyText(move, reply);
    std::string text(reply, 5);
    if (text[4] == ' ') text.resize(4);
    return text;
}

std::vector<std::string> legalMoveTexts() {
    std::vector<std::string> texts;
    const int ply = movegen::searchPly;
    movegen::moveCount[ply] = 0;
    movegen::generateMoves();
    const int count = movegen::moveCount[ply];
    std::vector<Move> moves(movegen::MoveList[ply], movegen::MoveList[ply] + count);
    for (Move& move : moves)
        if (search::isLegalMove(move)) texts.push_back(moveText(move));
    return texts;
}

void playMove(const std::string& text) {
    const int fromCol = text[0] - 'a', fromRow = text[1] - '1', toCol = text[2] - 'a', toRow = text[3] - '1';
    PieceCode promotion = EMPTY;
    if (text.size() > 4) {
        const bool white = board::sideToMove == WHITE;
        switch (text[4]) {
            case 'q': promotion = white ? WHITE_QUEEN : BLACK_QUEEN; break;
            case 'r': promotion = white ? WHITE_ROOK : BLACK_ROOK; break;
            case 'b': promotion = white ? WHITE_BISHOP : BLACK_BISHOP; break;
            default: promotion = white ? WHITE_KNIGHT : BLACK_KNIGHT; break;
        }
    }
    Move move{};
    ASSERT_TRUE(frontend::legalMoveOfSquares(fromRow, fromCol, toRow, toCol, promotion, move)) << text;
    search::playGameMove(move);
}

}  // namespace testing_support
