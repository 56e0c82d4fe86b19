// Draws the key tables in a fixed order and computes keys from scratch.
#include "board/keys.h"

#include "board/position.h"
#include "board/random.h"

namespace board {

HashKey pieceSquareKeys[PIECE_CODE_COUNT][BOARD_SIZE][BOARD_SIZE];
HashKey sideKeys[2];
HashKey blackEpKeys[EP_KEY_COUNT];
HashKey whiteEpKeys[EP_KEY_COUNT];
HashKey whiteCastlingKeys[CASTLING_KEY_COUNT];
HashKey blackCastlingKeys[CASTLING_KEY_COUNT];

namespace {
constexpr int BITS_PER_DRAW = 15;
constexpr int DRAWS_PER_KEY = 5;
}  // namespace

HashKey random64() {
    HashKey key = 0;
    for (int draw = 0; draw < DRAWS_PER_KEY; ++draw)
        key ^= static_cast<HashKey>(random15()) << (draw * BITS_PER_DRAW);
    return key;
}

void initKeys() {
    for (auto& codeKeys : pieceSquareKeys)
        for (auto& rowKeys : codeKeys)
            for (HashKey& key : rowKeys) key = random64();
    sideKeys[BLACK] = random64();
    sideKeys[WHITE] = random64();
    for (int file = 0; file < EP_KEY_COUNT; ++file) {
        blackEpKeys[file] = random64();
        whiteEpKeys[file] = random64();
    }
    for (int rights = 0; rights < CASTLING_KEY_COUNT; ++rights) {
        whiteCastlingKeys[rights] = random64();
        blackCastlingKeys[rights] = random64();
    }
}

HashKey computeKey() {
    HashKey key = 0;
    for (int row = 0; row < BOARD_SIZE; ++row)
        for (int col = 0; col < BOARD_SIZE; ++col)
            if (Board[row][col] != EMPTY) key ^= pieceSquareKeys[Board[row][col]][row][col];
    key ^= sideKeys[sideToMove];
    key ^= blackEpKeys[blackEpFile] ^ whiteEpKeys[whiteEpFile];
    key ^= whiteCastlingKeys[castlingKeyIndex(whiteCastling)];
    key ^= blackCastlingKeys[castlingKeyIndex(blackCastling)];
    return key;
}

}  // namespace board
