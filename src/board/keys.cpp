// Draws the key tables in a fixed order and computes keys from scratch.
#include "board/keys.h"

#include "board/castling.h"
#include "board/position.h"
#include "board/random.h"

namespace board {

HashKey pieceSquareKeys[PIECE_CODE_COUNT][BOARD_SIZE][BOARD_SIZE];
HashKey sideKeys[2];
HashKey blackEpKeys[EP_KEY_COUNT];
HashKey whiteEpKeys[EP_KEY_COUNT];
HashKey whiteCastlingKeys[CASTLING_KEY_COUNT];
HashKey blackCastlingKeys[CASTLING_KEY_COUNT];
thread_local constinit HashKey castlingKeys[2][CASTLING_KEY_COUNT] = {};

namespace {
constexpr int BITS_PER_DRAW = 15;
constexpr int DRAWS_PER_KEY = 5;

// The rook-file keys come from a fixed sequence of their own (splitmix64), so that drawing them
// takes nothing from the seeded generator the other tables and the book share.
constexpr HashKey splitMix(HashKey& state) {
    state += 0x9E3779B97F4A7C15ULL;
    HashKey mixed = state;
    mixed = (mixed ^ (mixed >> 30)) * 0xBF58476D1CE4E5B9ULL;
    mixed = (mixed ^ (mixed >> 27)) * 0x94D049BB133111EBULL;
    return mixed ^ (mixed >> 31);
}

using RookFileKeys = HashKey[2][CASTLING_SIDES][BOARD_SIZE];
struct RookFileKeyTable {
    RookFileKeys keys;
};

constexpr RookFileKeyTable buildRookFileKeys() {
    RookFileKeyTable table{};
    HashKey state = 0x6D6F7276656C6C69ULL;
    for (auto& colorKeys : table.keys)
        for (int side = 0; side < CASTLING_SIDES; ++side)
            for (int col = 0; col < BOARD_SIZE; ++col)
                colorKeys[side][col] = col == STANDARD_ROOK_COLS[side] ? 0 : splitMix(state);
    return table;
}

constexpr RookFileKeyTable ROOK_FILE_KEYS = buildRookFileKeys();
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
    rebuildCastlingKeys();
}

void rebuildCastlingKeys() {
    for (int color = 0; color < 2; ++color) {
        const HashKey* base = color == WHITE ? whiteCastlingKeys : blackCastlingKeys;
        for (int rights = 0; rights < CASTLING_KEY_COUNT; ++rights) {
            HashKey key = base[rights];
            for (int side = 0; side < CASTLING_SIDES; ++side)
                if (rights & CASTLING_RIGHT_BITS[side])
                    key ^= ROOK_FILE_KEYS.keys[color][side][castlingRookCol[color][side]];
            castlingKeys[color][rights] = key;
        }
    }
}

HashKey computeKey() {
    HashKey key = 0;
    for (int row = 0; row < BOARD_SIZE; ++row)
        for (int col = 0; col < BOARD_SIZE; ++col)
            if (Board[row][col] != EMPTY) key ^= pieceSquareKeys[Board[row][col]][row][col];
    key ^= sideKeys[sideToMove];
    key ^= blackEpKeys[blackEpFile] ^ whiteEpKeys[whiteEpFile];
    key ^= castlingKeys[WHITE][castlingKeyIndex(whiteCastling)];
    key ^= castlingKeys[BLACK][castlingKeyIndex(blackCastling)];
    return key;
}

}  // namespace board
