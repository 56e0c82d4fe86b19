// makeMove / unmakeMove: in place, a few stores and key XORs per move.
#include "board/makemove.h"

#include "board/castling.h"
#include "board/keys.h"
#include "board/position.h"

namespace board {

namespace {

// Castling shifts the word left, masked so that a user's repeated castling cannot overflow it.
constexpr int CASTLED_WORD_FACTOR_SHIFT = 2;

// A piece code put on or taken off a square: the key and the material sums follow it.
// Walks that take every move back before anything reads the material sums leave them alone;
// the piece bits are always kept, the generators walk them.
template <bool KeepSums, bool Putting>
inline void follow(PieceCode code, int row, int col) {
    currentKey ^= pieceSquareKeys[code][row][col];
    if constexpr (!KeepSums)
        flipPieceBit(code, row, col);
    else if constexpr (Putting)
        addToSums(code, row, col);
    else
        takeFromSums(code, row, col);
}

template <bool KeepSums>
inline void put(PieceCode code, int row, int col) { follow<KeepSums, true>(code, row, col); }

template <bool KeepSums>
inline void lift(PieceCode code, int row, int col) { follow<KeepSums, false>(code, row, col); }

// Unmake writes squares back without the key, which the caller restores, and takes the
// material sums from the history; only the piece bits follow the squares.
inline void restoreSquare(int row, int col, PieceCode code) {
    PieceCode& square = Board[row][col];
    flipPieceBit(square, row, col);
    flipPieceBit(code, row, col);
    square = code;
}

// The state words the key covers besides the pieces, as they stood before a move.
struct KeyedState {
    int whiteEp;
    int blackEp;
    int whiteWord;
    int blackWord;
};

inline KeyedState keyedState() { return {whiteEpFile, blackEpFile, whiteCastling, blackCastling}; }

// Most moves change none of these words, so each key is swapped only when its word moved.
inline void rekeyChangedState(const KeyedState& before) {
    if (whiteEpFile != before.whiteEp) currentKey ^= whiteEpKeys[before.whiteEp] ^ whiteEpKeys[whiteEpFile];
    if (blackEpFile != before.blackEp) currentKey ^= blackEpKeys[before.blackEp] ^ blackEpKeys[blackEpFile];
    if (whiteCastling != before.whiteWord)
        currentKey ^= castlingKeys[WHITE][castlingKeyIndex(before.whiteWord)] ^
                      castlingKeys[WHITE][castlingKeyIndex(whiteCastling)];
    if (blackCastling != before.blackWord)
        currentKey ^= castlingKeys[BLACK][castlingKeyIndex(before.blackWord)] ^
                      castlingKeys[BLACK][castlingKeyIndex(blackCastling)];
}

inline void followKing(PieceCode piece, int row, int col) {
    if (piece == WHITE_KING) kingSquare[WHITE] = row * BOARD_SIZE + col;
    else if (piece == BLACK_KING) kingSquare[BLACK] = row * BOARD_SIZE + col;
}

struct CastlingRook {
    int row;
    int fromCol;
    int toCol;
    PieceCode rook;
    int* word;
};

inline CastlingRook castlingRookOf(const Move& move) {
    const bool white = move.fromRow == FIRST_ROW;
    const bool kingside = move.toCol == KINGSIDE_KING_COL;
    return {white ? FIRST_ROW : LAST_ROW, kingside ? KINGSIDE_ROOK_COL : QUEENSIDE_ROOK_COL,
            kingside ? KINGSIDE_ROOK_TO_COL : QUEENSIDE_ROOK_TO_COL, white ? WHITE_ROOK : BLACK_ROOK,
            white ? &whiteCastling : &blackCastling};
}

// Generated castling always finds its rook on the corner and the passed square
// empty; a typed castling may not, so the key follows what really stands there.
template <bool KeepSums>
void moveCastlingRook(const Move& move) {
    const CastlingRook castle = castlingRookOf(move);
    PieceCode& corner = Board[castle.row][castle.fromCol];
    if (corner != EMPTY) lift<KeepSums>(corner, castle.row, castle.fromCol);
    corner = EMPTY;
    PieceCode& landing = Board[castle.row][castle.toCol];
    if (landing != EMPTY) lift<KeepSums>(landing, castle.row, castle.toCol);
    landing = castle.rook;
    put<KeepSums>(castle.rook, castle.row, castle.toCol);
    *castle.word = (*castle.word << CASTLED_WORD_FACTOR_SHIFT) & CASTLED_WORD_MASK;
}

// Chess960 castling, stored as the king taking its own rook: both are lifted before either is
// put down, as the king may land on the rook's square or the other way round.
template <bool KeepSums>
void castleByRook(const Move& move) {
    const CastlingSquares castle = castlingSquaresOf(move);
    const bool white = move.piece == WHITE_KING;
    const PieceCode rook = white ? WHITE_ROOK : BLACK_ROOK;
    lift<KeepSums>(move.piece, castle.row, castle.kingFrom);
    lift<KeepSums>(rook, castle.row, castle.rookFrom);
    Board[castle.row][castle.kingFrom] = EMPTY;
    Board[castle.row][castle.rookFrom] = EMPTY;
    Board[castle.row][castle.kingTo] = move.piece;
    Board[castle.row][castle.rookTo] = rook;
    put<KeepSums>(move.piece, castle.row, castle.kingTo);
    put<KeepSums>(rook, castle.row, castle.rookTo);
    int& word = white ? whiteCastling : blackCastling;
    word = (word << CASTLED_WORD_FACTOR_SHIFT) & CASTLED_WORD_MASK;
    followKing(move.piece, castle.row, castle.kingTo);
}

void uncastleByRook(const Move& move) {
    const CastlingSquares castle = castlingSquaresOf(move);
    const bool white = move.piece == WHITE_KING;
    restoreSquare(castle.row, castle.kingTo, EMPTY);
    restoreSquare(castle.row, castle.rookTo, EMPTY);
    restoreSquare(castle.row, castle.kingFrom, move.piece);
    restoreSquare(castle.row, castle.rookFrom, white ? WHITE_ROOK : BLACK_ROOK);
    followKing(move.piece, castle.row, castle.kingFrom);
    (white ? whiteCastling : blackCastling) >>= CASTLED_WORD_FACTOR_SHIFT;
}

// The mover's loss, and with Chess960 castling the opponent's (a captured castling rook).
inline void takeCastlingLoss(int loss, int& own, int& opponent) {
    own -= loss & CASTLED_WORD_MASK;
    opponent -= loss >> OPPONENT_LOSS_SHIFT;
}

inline void giveCastlingLossBack(int loss, int& own, int& opponent) {
    own += loss & CASTLED_WORD_MASK;
    opponent += loss >> OPPONENT_LOSS_SHIFT;
}

template <bool KeepSums>
void playMove(Move& move) {
    const KeyedState before = keyedState();
    if constexpr (KeepSums) PackedMaterialHistory[gamePly] = packedMaterial;

    if (move.castling && chess960Castling) [[unlikely]] {
        castleByRook<KeepSums>(move);
    } else {
        const PieceCode mover = Board[move.fromRow][move.fromCol];
        if (mover != EMPTY) lift<KeepSums>(mover, move.fromRow, move.fromCol);
        Board[move.fromRow][move.fromCol] = EMPTY;

        PieceCode& destination = Board[move.toRow][move.toCol];
        if (move.captured != EMPTY && destination != EMPTY) lift<KeepSums>(destination, move.toRow, move.toCol);

        if (move.enPassant) {
            PieceCode& victim = Board[move.fromRow][move.toCol];
            move.captured = victim;
            if (victim != EMPTY) lift<KeepSums>(victim, move.fromRow, move.toCol);
            victim = EMPTY;
        }

        if (move.castling) moveCastlingRook<KeepSums>(move);

        destination = move.promotion != EMPTY ? move.promotion : move.piece;
        put<KeepSums>(destination, move.toRow, move.toCol);
        followKing(move.piece, move.toRow, move.toCol);
    }

    sideToMove = opponentOf(sideToMove);

    if (sideToMove == WHITE) {
        move.savedEpFile = static_cast<std::int8_t>(blackEpFile);
        blackEpFile = (move.piece == BLACK_PAWN && move.fromRow == 6 && move.toRow == 4) ? move.fromCol
                                                                                          : NO_EP_FILE;
        if (move.castlingLoss != 0) takeCastlingLoss(move.castlingLoss, blackCastling, whiteCastling);
        if (isWhiteOfficer(move.captured)) --nonPawnPieceCount;
    } else {
        move.savedEpFile = static_cast<std::int8_t>(whiteEpFile);
        whiteEpFile = (move.piece == WHITE_PAWN && move.fromRow == 1 && move.toRow == 3) ? move.fromCol
                                                                                          : NO_EP_FILE;
        if (move.castlingLoss != 0) takeCastlingLoss(move.castlingLoss, whiteCastling, blackCastling);
        if (isBlackOfficer(move.captured)) --nonPawnPieceCount;
    }

    rekeyChangedState(before);
    currentKey ^= sideKeys[WHITE] ^ sideKeys[BLACK];
    ++gamePly;
    GameHistory[gamePly] = currentKey;
}

template <bool KeepSums>
void takeBackMove(const Move& move) {
    if (move.castling && chess960Castling) [[unlikely]] {
        uncastleByRook(move);
    } else {
        restoreSquare(move.fromRow, move.fromCol, move.piece);
        followKing(move.piece, move.fromRow, move.fromCol);
        if (move.enPassant) {
            restoreSquare(move.fromRow, move.toCol, move.captured);
            restoreSquare(move.toRow, move.toCol, EMPTY);
        } else {
            restoreSquare(move.toRow, move.toCol, move.captured);
        }
        if (move.castling) {
            const CastlingRook castle = castlingRookOf(move);
            restoreSquare(castle.row, castle.fromCol, castle.rook);
            restoreSquare(castle.row, castle.toCol, EMPTY);
            *castle.word >>= CASTLED_WORD_FACTOR_SHIFT;
        }
    }
    sideToMove = opponentOf(sideToMove);
    if (sideToMove == WHITE) {
        if (move.castlingLoss != 0) giveCastlingLossBack(move.castlingLoss, whiteCastling, blackCastling);
        whiteEpFile = move.savedEpFile;
        if (isBlackOfficer(move.captured)) ++nonPawnPieceCount;
    } else {
        if (move.castlingLoss != 0) giveCastlingLossBack(move.castlingLoss, blackCastling, whiteCastling);
        blackEpFile = move.savedEpFile;
        if (isWhiteOfficer(move.captured)) ++nonPawnPieceCount;
    }
    --gamePly;
    if constexpr (KeepSums) packedMaterial = PackedMaterialHistory[gamePly];
}

}  // namespace

void makeMove(Move& move) { playMove<true>(move); }

void unmakeMove(const Move& move) { takeBackMove<true>(move); }

void makeMoveLeavingSums(Move& move) { playMove<false>(move); }

void unmakeMoveLeavingSums(const Move& move) { takeBackMove<false>(move); }

}  // namespace board
