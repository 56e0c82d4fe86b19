// Board and rules: perft counts, make/unmake restoring everything, keys, attacks, repetition.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>

#include "board/attacks.h"
#include "board/keys.h"
#include "board/makemove.h"
#include "board/perft.h"
#include "board/position.h"
#include "board/random.h"
#include "board/repetition.h"
#include "frontend/fen.h"
#include "frontend/movetext.h"
#include "frontend/words.h"
#include "movegen/generate.h"
#include "movegen/movelist.h"
#include "search/pv.h"
#include "search/think.h"
#include "search/threads.h"
#include "test_support.h"

using namespace testing_support;

namespace {

std::int64_t countPerft(int depth) {
    search::nodeCount = 0;
    board::perft(depth);
    return search::nodeCount;
}

// Perft suite kept as data: FEN ;D1 n ;D2 n ... (leaf counts, as published); perftLeaves
// must give DN, and the console's perft, which counts every level, the sum of D1..DN.
const char* const PERFT_SUITE[] = {
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - ;D1 20 ;D2 400 ;D3 8902 ;D4 197281",
    // castling through and out of check, pins, promotions, en passant
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - ;D1 48 ;D2 2039 ;D3 97862",
    "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - ;D1 14 ;D2 191 ;D3 2812 ;D4 43238",
    "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - ;D1 6 ;D2 264 ;D3 9467",
    "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - ;D1 44 ;D2 1486 ;D3 62379",
    "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - ;D1 46 ;D2 2079 ;D3 89890",
    // en passant that would expose the own king, and a capture-promotion race
    "8/8/8/2k5/2pP4/8/B7/4K3 b - d3 ;D1 8 ;D2 72 ;D3 492",
    "n1n5/PPPk4/8/8/8/8/4Kppp/5N1N b - - ;D1 24 ;D2 496 ;D3 9483",
};

}  // namespace

TEST(Perft, StartPositionCountsEveryLevel) {
    freshEngine();
    const std::int64_t expected[] = {0, 20, 420, 9322, 206603, 5072212};
    for (int depth = 0; depth <= 5; ++depth) EXPECT_EQ(countPerft(depth), expected[depth]) << "depth " << depth;
    EXPECT_EQ(board::currentKey, board::computeKey());
    EXPECT_EQ(board::gamePly, 0);
    EXPECT_EQ(movegen::searchPly, 0);
}

TEST(Perft, SuitePositions) {
    for (const char* line : PERFT_SUITE) {
        freshEngine();
        std::string text = line;
        const std::string fen = text.substr(0, text.find(';'));
        setPosition(fen);
        std::istringstream fields(text.substr(text.find(';')));
        std::string label;
        std::int64_t leaves = 0, total = 0;
        int depth = 0;
        while (fields >> label >> leaves) {
            ++depth;
            total += leaves;
            EXPECT_EQ(countPerft(depth), total) << fen << " depth " << depth;
            EXPECT_EQ(board::perftLeaves(depth), leaves) << fen << " depth " << depth;
        }
        EXPECT_EQ(board::perftLeaves(0), 1) << fen;
        EXPECT_EQ(board::currentKey, board::computeKey()) << fen;
        EXPECT_EQ(movegen::searchPly, 0) << fen;
        EXPECT_TRUE(board::positionIsConsistent()) << fen;
    }
}

namespace {
struct RootLeaves {
    std::vector<std::string> moves;
    std::int64_t leaves = 0;
};
void collectRootLeaves(const Move& move, std::int64_t leaves, void* context) {
    auto& collected = *static_cast<RootLeaves*>(context);
    collected.moves.push_back(moveText(move));
    collected.leaves += leaves;
}
}  // namespace

// The suite again with the root moves shared among threads: every count as on one thread,
// the divided report in generation order, the position left as it was.
TEST(Perft, SuiteOnOneAndTwoThreads) {
    for (const int threads : {1, 2}) {
        ASSERT_TRUE(search::setThreadCount(threads));
        for (const char* line : PERFT_SUITE) {
            freshEngine();
            const std::string text = line;
            const std::string fen = text.substr(0, text.find(';'));
            setPosition(fen);
            const std::vector<std::string> rootMoves = legalMoveTexts();
            std::istringstream fields(text.substr(text.find(';')));
            std::string label;
            std::int64_t leaves = 0, total = 0;
            for (int depth = 1; fields >> label >> leaves; ++depth) {
                total += leaves;
                search::nodeCount = 0;
                search::perftOnThreads(depth);
                EXPECT_EQ(search::nodeCount, total) << fen << " depth " << depth << ", threads " << threads;
                RootLeaves divided;
                EXPECT_EQ(search::perftDivideOnThreads(depth, collectRootLeaves, &divided), leaves) << fen;
                EXPECT_EQ(divided.leaves, leaves) << fen << " depth " << depth;
                EXPECT_EQ(divided.moves, rootMoves) << fen << " depth " << depth;
            }
            EXPECT_EQ(board::currentKey, board::computeKey()) << fen;
            EXPECT_EQ(movegen::searchPly, 0) << fen;
            EXPECT_TRUE(board::positionIsConsistent()) << fen;
        }
    }
    search::setThreadCount(1);
}

TEST(MakeMove, RestoresEverythingOnRandomGames) {
    freshEngine();
    std::mt19937 generator(2026);
    for (int game = 0; game < 40; ++game) {
        freshEngine();
        // Every other game from a Chess960 start, its castling written as the king taking its rook.
        if (game % 2 == 1) {
            board::setupChess960Position(static_cast<int>(generator() % board::CHESS960_POSITIONS));
            board::startGameRecord(0, 1);
            frontend::chess960Notation = true;
        }
        for (int ply = 0; ply < 120; ++ply) {
            // Every pseudo-legal move made and taken back must leave no trace.
            movegen::moveCount[0] = 0;
            movegen::generateMoves();
            PieceCode boardBefore[8][8];
            std::memcpy(boardBefore, board::Board, sizeof boardBefore);
            const int white = board::whiteCastling, black = board::blackCastling;
            const int whiteEp = board::whiteEpFile, blackEp = board::blackEpFile;
            const int pieces = board::nonPawnPieceCount, gamePly = board::gamePly;
            const Color side = board::sideToMove;
            const HashKey key = board::currentKey;
            const bool inCheck = board::isKingAttacked(board::opponentOf(side));
            for (int index = 0; index < movegen::moveCount[0]; ++index) {
                Move move = movegen::MoveList[0][index];
                board::makeMove(move);
                ASSERT_EQ(board::currentKey, board::computeKey());
                ASSERT_TRUE(board::positionIsConsistent()) << "king squares followed";
                ASSERT_EQ(board::isLegalAfterMake(move, inCheck), board::isLegalAfterMake(move));
                ASSERT_EQ(board::GameHistory[board::gamePly], board::currentKey);
                board::unmakeMove(move);
                board::currentKey = key;
                ASSERT_EQ(std::memcmp(boardBefore, board::Board, sizeof boardBefore), 0);
                ASSERT_EQ(board::whiteCastling, white);
                ASSERT_EQ(board::blackCastling, black);
                ASSERT_EQ(board::whiteEpFile, whiteEp);
                ASSERT_EQ(board::blackEpFile, blackEp);
                ASSERT_EQ(board::nonPawnPieceCount, pieces);
                ASSERT_EQ(board::gamePly, gamePly);
                ASSERT_EQ(board::sideToMove, side);
            }
            const auto legal = legalMoveTexts();
            if (legal.empty()) break;
            playMove(legal[generator() % legal.size()]);
            ASSERT_TRUE(board::positionIsConsistent());
        }
    }
}

TEST(MakeMove, CastlingEnPassantAndPromotionDetails) {
    freshEngine();
    playMove("e2e4");
    EXPECT_EQ(board::whiteEpFile, 4);
    EXPECT_EQ(board::blackEpFile, NO_EP_FILE);
    EXPECT_EQ(board::gamePly, 1);
    playMove("g8f6");
    EXPECT_EQ(board::whiteEpFile, 4) << "the file stays until white moves again";

    setPosition("4k3/8/8/3pP3/8/8/8/4K2R w K d6");
    Move enPassant{};
    for (const auto& text : legalMoveTexts()) ASSERT_TRUE(text.size() >= 4);
    ASSERT_TRUE(search::findLegalMove(4, 4, 5, 3, EMPTY, enPassant));
    EXPECT_EQ(enPassant.enPassant, 1);
    EXPECT_EQ(enPassant.captured, EMPTY);
    const HashKey key = board::currentKey;
    board::makeMove(enPassant);
    EXPECT_EQ(enPassant.captured, BLACK_PAWN);
    EXPECT_EQ(board::Board[4][3], EMPTY);
    board::unmakeMove(enPassant);
    board::currentKey = key;
    EXPECT_EQ(board::Board[4][3], BLACK_PAWN);
    EXPECT_EQ(board::Board[5][3], EMPTY);

    Move castle{};
    ASSERT_TRUE(search::findLegalMove(0, 4, 0, 6, EMPTY, castle));
    board::makeMove(castle);
    EXPECT_EQ(board::whiteCastling, 4);
    EXPECT_EQ(board::Board[0][5], WHITE_ROOK);
    EXPECT_EQ(board::Board[0][7], EMPTY);
    EXPECT_EQ(board::currentKey, board::computeKey());
    board::unmakeMove(castle);
    EXPECT_NE(board::currentKey, board::computeKey()) << "unmake leaves the key to the caller";
    board::currentKey = key;
    EXPECT_EQ(board::whiteCastling, 1);
    EXPECT_EQ(board::Board[0][7], WHITE_ROOK);

    // A pawn taking a rook while promoting: one officer fewer, none more.
    setPosition("1r2k3/P7/8/8/8/8/8/4K3 w - -");
    const int before = board::nonPawnPieceCount;
    Move promotion{};
    ASSERT_TRUE(search::findLegalMove(6, 0, 7, 1, WHITE_QUEEN, promotion));
    search::playGameMove(promotion);
    EXPECT_EQ(board::Board[7][1], WHITE_QUEEN);
    EXPECT_EQ(board::nonPawnPieceCount, before - 1);
    EXPECT_TRUE(board::positionIsConsistent());
}

// The search reaches this by itself: an en-passant capture, then a null move, leaves the
// en-passant file set while the capturing pawn stands on the target square. A second
// "en passant" onto that square would make the pawn vanish, so it is never generated.
TEST(MakeMove, NoEnPassantOntoTheSquareAPawnJustTook) {
    freshEngine();
    setPosition("rnbqkbnr/pp1p1ppp/4p3/2P1P3/8/8/PP1P1PPP/RNBQKBNR w KQkq -");
    playMove("d2d4");
    playMove("d7d5");
    playMove("e5d6");
    ASSERT_EQ(board::Board[5][3], WHITE_PAWN);
    ASSERT_EQ(board::Board[4][3], EMPTY);
    // Black passes as the null move does: only the side and its key change.
    board::currentKey ^= board::sideKeys[board::sideToMove];
    board::sideToMove = WHITE;
    board::currentKey ^= board::sideKeys[board::sideToMove];
    ASSERT_EQ(board::blackEpFile, 3) << "the file of d7d5 is still set";
    const auto texts = legalMoveTexts();
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "c5d6"), 0);
    // Every generated move, made and taken back, keeps the board and the key sound.
    movegen::moveCount[0] = 0;
    movegen::generateMoves();
    const auto whitePawns = [] {
        int pawns = 0;
        for (const auto& row : board::Board)
            for (const PieceCode piece : row) pawns += piece == WHITE_PAWN;
        return pawns;
    };
    const int pawnsBefore = whitePawns();
    for (int index = 0; index < movegen::moveCount[0]; ++index) {
        Move move = movegen::MoveList[0][index];
        EXPECT_FALSE(move.toRow == 5 && move.toCol == 3 && move.piece == WHITE_PAWN) << moveText(move);
        const HashKey key = board::currentKey;
        board::makeMove(move);
        EXPECT_EQ(board::currentKey, board::computeKey()) << moveText(move);
        EXPECT_EQ(whitePawns(), pawnsBefore) << moveText(move);
        board::unmakeMove(move);
        board::currentKey = key;
    }
    EXPECT_EQ(board::Board[5][3], WHITE_PAWN);
    EXPECT_EQ(board::currentKey, board::computeKey());
}

TEST(Attacks, KingsPawnsSlidersKnightsAndCastling) {
    freshEngine();
    struct Case {
        const char* fen;
        bool whiteAttacked;
        bool blackAttacked;
    };
    const Case cases[] = {
        {"8/8/8/3p4/4K3/8/8/k7 w - -", true, false},    // black pawn d5 hits e4
        {"8/8/8/8/4K3/3p4/8/k7 w - -", false, false},   // black pawn d3 does not
        {"k7/8/8/4k3/3P4/8/8/K7 w - -", false, true},   // white pawn d4 hits e5 (first black king found)
        {"8/8/8/8/8/8/3k4/3K4 w - -", true, true},      // neighbouring kings
        {"4r1k1/8/8/8/4P3/8/8/4K3 w - -", false, false},  // rook behind a pawn
        {"6k1/8/8/8/8/5n2/8/4K3 w - -", true, false},   // knight jump
        {"6k1/8/8/8/8/5N2/8/4K3 w - -", false, false},  // own knight
        {"6k1/8/8/8/8/8/8/8 w - -", false, false},      // no white king at all
        // Squares next to each other in index order but not on the board: nothing wraps round.
        {"8/8/8/8/K7/7r/8/k7 w - -", false, false},     // rook h3 beside a4 in index only
        {"8/8/8/8/8/8/p7/7K w - -", false, false},      // pawn a2 beside h1 in index only
        {"8/8/8/8/8/8/6p1/7K w - -", true, false},      // pawn g2 hits h1
        // The nearest piece on a line decides, whichever way the squares are numbered.
        {"4r1k1/8/8/8/4n3/8/8/4K3 w - -", false, false},  // a knight shields from the rook
        {"4r1k1/8/8/8/4q3/8/8/4K3 w - -", true, false},   // a queen in front of the rook
        {"4k3/8/8/4p3/8/8/8/4R1K1 w - -", false, false},  // own pawn shields the king above
        {"4k3/8/8/8/8/8/8/4R1K1 w - -", false, true},     // rook below, open file
        {"4k3/8/8/8/B7/8/8/4K3 w - -", false, true},      // bishop down and left
        {"4k3/8/2p5/8/B7/8/8/4K3 w - -", false, false},   // shielded on c6
        {"8/8/8/8/7b/8/8/4K2k w - -", true, false},       // bishop up and right
    };
    for (const Case& example : cases) {
        setPosition(example.fen);
        EXPECT_EQ(board::whiteKingAttacked(), example.whiteAttacked) << example.fen;
        EXPECT_EQ(board::blackKingAttacked(), example.blackAttacked) << example.fen;
    }
    auto castles = [](const char* fen, const char* move) {
        setPosition(fen);
        for (const auto& text : legalMoveTexts())
            if (text == move) return true;
        return false;
    };
    EXPECT_FALSE(castles("4k3/8/8/8/8/8/6b1/4K2R w K -", "e1g1")) << "f1 attacked";
    EXPECT_TRUE(castles("4k3/8/8/8/8/8/b7/R3K3 w Q -", "e1c1")) << "only b1 attacked";
    EXPECT_FALSE(castles("4k3/4r3/8/8/8/8/8/4K2R w K -", "e1g1")) << "in check";
    EXPECT_FALSE(castles("4k3/8/8/8/8/8/7R/4K3 w K -", "e1g1")) << "no rook on h1";
}

// Chess960 castling, written as the king taking its rook: every square the king or rook crosses
// or reaches empty but for the two; the king's square, those it crosses and its destination
// unattacked before the move, also where the king stays put; the king on the rook's square and
// the rook on the king's; each side by its own files. A legal castling taken back leaves no trace.
TEST(Chess960, CastlingRulesFromAnyStart) {
    struct Case {
        const char* fen;
        const char* move;
        bool legal;
        const char* afterRank;  // the castler's rank after the move, when legal
    };
    const Case cases[] = {
        {"4k3/8/8/8/8/8/4r3/6KR w H -", "g1h1", true, "5RK1"},     // the king stays, the rook comes round
        {"4k3/8/8/8/8/8/8/4r1KR w H -", "g1h1", false, nullptr},   // in check: the castled rook would shield
        {"4k3/8/8/8/8/8/8/1K4R1 w G -", "b1g1", true, "5RK1"},     // the king lands on the rook's square
        {"4k3/8/8/8/b7/8/8/1K4R1 w G -", "b1g1", false, nullptr},  // d1, which the king crosses, attacked
        {"4k3/8/8/8/8/8/8/R2K4 w A -", "d1a1", true, "2KR4"},      // the rook lands on the king's square
        {"4k3/8/8/8/8/8/8/RN1K4 w A -", "d1a1", false, nullptr},   // a knight where the rook passes
        {"4k3/8/8/8/8/8/8/4K1Rr w G -", "e1g1", false, nullptr},   // g1 attacked behind the castling rook
        {"1kr5/8/8/8/8/8/8/4K3 b c -", "b8c8", true, "5rk1"},      // Black, its own files
        {"rk6/8/8/8/8/8/8/2KR4 b a -", "b8a8", true, "2kr4"},      // queen-side, king b8 to c8, rook a8 to d8
    };
    for (const Case& example : cases) {
        freshEngine();
        setPosition(example.fen);
        frontend::chess960Notation = true;
        const std::vector<std::string> legal = legalMoveTexts();
        const bool found = std::find(legal.begin(), legal.end(), example.move) != legal.end();
        ASSERT_EQ(found, example.legal) << example.fen;
        if (!found) continue;
        const HashKey key = board::currentKey;
        PieceCode before[BOARD_SIZE][BOARD_SIZE];
        std::memcpy(before, board::Board, sizeof before);
        Move move{};
        ASSERT_TRUE(frontend::legalMoveOfSquares(example.move[1] - '1', example.move[0] - 'a', example.move[3] - '1',
                                                 example.move[2] - 'a', EMPTY, move));
        board::makeMove(move);
        EXPECT_TRUE(board::positionIsConsistent()) << example.fen;
        const int row = move.fromRow;
        std::string rank;
        for (int col = 0; col < BOARD_SIZE; ++col) rank += "pkqbnr.RNBQKP"[board::Board[row][col]];
        std::string expectedRank;
        for (const char* letter = example.afterRank; *letter != '\0'; ++letter)
            expectedRank += *letter >= '1' && *letter <= '8' ? std::string(*letter - '0', '.') : std::string(1, *letter);
        EXPECT_EQ(rank, expectedRank) << example.fen;
        EXPECT_EQ(board::castlingKeyIndex(row == FIRST_ROW ? board::whiteCastling : board::blackCastling), 0);
        board::unmakeMove(move);
        board::currentKey = key;
        EXPECT_EQ(std::memcmp(before, board::Board, sizeof before), 0) << example.fen;
        EXPECT_TRUE(board::positionIsConsistent()) << example.fen;
    }
}

// The Chess960 corpus (tests/data/perft960.epd, counts made by Stockfish with
// tools/perft960-reference.py): every start at depth 3, set up from its number and from its
// Shredder-FEN alike, and positions of random play from Chess960 and Double Fischer Random starts,
// read in X-FEN or Shredder-FEN, at every depth given (checking builds stop at 4, which is slow
// enough there). Leaf counts, as perftLeaves gives them; the console's cumulative perft shares
// every level with it.
TEST(Chess960, CountsMatchTheReferenceCorpus) {
#ifdef MORVELLINE_CHECKS
    constexpr int DEEPEST = 4;
#else
    constexpr int DEEPEST = 5;
#endif
    std::ifstream corpus(std::string(MORVELLINE_SOURCE_DIR) + "/tests/data/perft960.epd");
    ASSERT_TRUE(corpus.is_open());
    int starts = 0;
    int played = 0;
    for (std::string line; std::getline(corpus, line);) {
        if (line.empty() || line[0] == '#') continue;
        freshEngine();
        std::string fen = line.substr(0, line.find(';'));
        const frontend::Words words = frontend::splitWords(fen.data());
        frontend::LoadedPosition position{};
        ASSERT_EQ(frontend::readFen(words, 0, words.count, frontend::FenFields::ALL_SIX, position), nullptr) << line;
        frontend::installPosition(position);
        std::istringstream fields(line.substr(line.find(';')));
        std::string label;
        std::int64_t value = 0;
        for (int depth = 1; std::getline(fields, label, ';');) {
            std::istringstream field(label);
            if (!(field >> label >> value)) continue;
            if (label == "id") {
                const HashKey fromFen = board::currentKey;
                board::setupChess960Position(static_cast<int>(value));
                ASSERT_EQ(board::currentKey, fromFen) << "start " << value << ": " << line;
                ++starts;
            } else if (depth <= DEEPEST) {
                ASSERT_EQ(label, "D" + std::to_string(depth)) << line;
                EXPECT_EQ(board::perftLeaves(depth), value) << line << " depth " << depth;
                ++depth;
            }
        }
        played += line.find(";id") == std::string::npos;
        EXPECT_TRUE(board::positionIsConsistent()) << line;
    }
    EXPECT_EQ(starts, board::CHESS960_POSITIONS);
    EXPECT_GE(played, 100);
}

// Rights follow the rules exactly under Chess960 castling, and the key tells rook files apart.
TEST(Chess960, RightsAndKeysFollowTheCastlingRooks) {
    // Rooks b1 (castling) and b4 share a file: only the castling rook's move costs the right,
    // and a capture of Black's castling rook on its square costs Black that right.
    const auto rightsAfter = [](const char* fen, const std::string& move) {
        freshEngine();
        setPosition(fen);
        frontend::chess960Notation = true;
        playMove(move);
        EXPECT_TRUE(board::positionIsConsistent()) << fen << " " << move;
        return std::make_pair(board::whiteCastling, board::blackCastling);
    };
    const char* position = "1r2k1r1/8/8/8/1R6/8/8/1R2K1R1 w BGbg -";
    EXPECT_EQ(rightsAfter(position, "b4c4"), std::make_pair(CASTLE_BOTH, CASTLE_BOTH));
    EXPECT_EQ(rightsAfter(position, "b1c1"), std::make_pair(CASTLE_KINGSIDE, CASTLE_BOTH));
    EXPECT_EQ(rightsAfter(position, "b4b8"), std::make_pair(CASTLE_BOTH, CASTLE_KINGSIDE));
    EXPECT_EQ(rightsAfter(position, "e1f1"), std::make_pair(0, CASTLE_BOTH));
    // The same placement and rights bits with another castling rook is another position.
    freshEngine();
    setPosition("4k3/8/8/8/8/8/8/4K1RR w G -");
    const HashKey innerRook = board::currentKey;
    setPosition("4k3/8/8/8/8/8/8/4K1RR w H -");
    EXPECT_NE(board::currentKey, innerRook);
    EXPECT_EQ(board::currentKey, board::computeKey());
    // A start's set-up and its FEN give the same position and key (start 0 is BBQNNRKR).
    setPosition("bbqnnrkr/pppppppp/8/8/8/8/PPPPPPPP/BBQNNRKR w HFhf -");
    const HashKey fromFen = board::currentKey;
    board::setupChess960Position(0);
    EXPECT_EQ(board::currentKey, fromFen);
}

// The quick legality test (mover not in check, only lines through the from-square)
// must agree with the full one, also where kings are missing or doubled.
// Both shortcuts (the test after making with the check known, and perft's test before making)
// must give the full test's answer on every move of the walk.
TEST(Attacks, QuickLegalityAgreesWithFullTestTwoPliesDeep) {
    freshEngine();
    const char* const fens[] = {
        "4k3/4r3/8/1b6/8/3N4/4B3/r3K2R w K -",   // pinned bishop and knight, rook on the back row
        "4k3/8/8/2KPp2r/8/8/8/8 w - e6",         // en passant along the king's row
        "3qk3/8/8/8/8/8/3P4/3K4 b - -",          // a pawn pinned on its file
        "k7/8/8/4k3/3P4/8/8/K7 w - -",           // two black kings
        "6k1/8/8/8/8/8/8/R7 w - -",              // no white king
        "r3k2r/8/8/8/4Q3/8/8/R3K2R b KQkq -",    // black in check, castling everywhere
        "4k3/8/1q6/8/3r4/2Q1P3/3RB3/1n1K3b w - -",  // pinned queen, two own pieces on one line
        "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -",    // rook pins on the king's row, en passant next
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
    };
    for (const char* fen : fens) {
        setPosition(fen);
        std::function<void(int)> walk = [&](int depth) {
            const int ply = movegen::searchPly;
            movegen::moveCount[ply] = 0;
            movegen::generateMoves();
            const bool inCheck = board::isKingAttacked(board::opponentOf(board::sideToMove));
            const int king = board::kingSquareOutOfCheck();
            const std::uint64_t pinned = king == board::NO_KING_SQUARE ? 0 : board::pinnedPieces(king);
            for (int index = 0; index < movegen::moveCount[ply]; ++index) {
                Move& move = movegen::MoveList[ply][index];
                const bool shortcut = king != board::NO_KING_SQUARE && !move.enPassant && !move.castling;
                const bool before = shortcut && board::isLegalBeforeMake(move, king, pinned);
                const HashKey key = board::currentKey;
                board::makeMove(move);
                const bool legal = board::isLegalAfterMake(move);
                EXPECT_EQ(board::isLegalAfterMake(move, inCheck), legal) << fen << " " << moveText(move);
                if (shortcut) {
                    EXPECT_EQ(before, legal) << fen << " before making " << moveText(move);
                }
                if (depth > 1) {
                    ++movegen::searchPly;
                    walk(depth - 1);
                    --movegen::searchPly;
                }
                board::unmakeMove(move);
                board::currentKey = key;
            }
        };
        walk(3);
        EXPECT_TRUE(board::positionIsConsistent()) << fen;
    }
}

TEST(Keys, TransposedOrdersAgreeAndStateMatters) {
    freshEngine();
    playMove("g1f3");
    playMove("g8f6");
    playMove("b1c3");
    const HashKey first = board::currentKey;
    freshEngine();
    playMove("b1c3");
    playMove("g8f6");
    playMove("g1f3");
    EXPECT_EQ(board::currentKey, first);

    setPosition("4k3/8/8/8/8/8/8/4K3 w - -");
    const HashKey whiteToMove = board::currentKey;
    setPosition("4k3/8/8/8/8/8/8/4K3 b - -");
    EXPECT_NE(board::currentKey, whiteToMove);

    // The generator gives 15 bits and repeats for a seed.
    board::seedRandom(7);
    const int a = board::random15();
    board::seedRandom(7);
    EXPECT_EQ(board::random15(), a);
    for (int draw = 0; draw < 10000; ++draw) {
        const int value = board::random15();
        ASSERT_GE(value, 0);
        ASSERT_LE(value, board::RANDOM_MAX);
    }
}

TEST(Repetition, RootNeedsThreeTreeNeedsTwo) {
    freshEngine();
    const char* dance[] = {"g1f3", "g8f6", "f3g1", "f6g8"};
    for (const char* move : dance) playMove(move);
    EXPECT_EQ(board::gamePly, 4);
    EXPECT_EQ(board::halfMoveClock, 4);
    movegen::searchPly = 0;
    EXPECT_FALSE(board::isRepetition());
    movegen::searchPly = 1;
    EXPECT_TRUE(board::isRepetition());
    movegen::searchPly = 0;
    for (const char* move : dance) playMove(move);
    EXPECT_TRUE(board::isRepetition());
    playMove("e2e4");
    EXPECT_FALSE(board::isRepetition()) << "a pawn move closes the window";
}

namespace {

TEST(Generate, MoveOrderOfStartAndPromotions) {
    freshEngine();
    const std::vector<std::string> startOrder = {
        "b1c3", "b1a3", "g1h3", "g1f3", "a2a3", "a2a4", "b2b3", "b2b4", "c2c3", "c2c4",
        "d2d3", "d2d4", "e2e3", "e2e4", "f2f3", "f2f4", "g2g3", "g2g4", "h2h3", "h2h4"};
    movegen::moveCount[movegen::searchPly] = 0;  // the generator appends, as every caller knows
    movegen::generateMoves();
    std::vector<std::string> generated;
    for (int index = 0; index < movegen::moveCount[movegen::searchPly]; ++index) {
        const Move& move = movegen::MoveList[movegen::searchPly][index];
        EXPECT_EQ(move.score, 0) << moveText(move);
        generated.push_back(moveText(move));
    }
    EXPECT_EQ(generated, startOrder);

    // Pushes before captures, each with queen, rook, bishop, knight in turn.
    setPosition("r3k3/1P6/8/8/8/8/8/4K3 w - -");
    const std::vector<std::string> pawnMoves = {"b7b8q", "b7b8r", "b7b8b", "b7b8n",
                                                "b7a8q", "b7a8r", "b7a8b", "b7a8n"};
    std::vector<std::string> promotions;
    for (const std::string& text : legalMoveTexts())
        if (text.rfind("b7", 0) == 0) promotions.push_back(text);
    EXPECT_EQ(promotions, pawnMoves);
}

// Generation appends; a list that fills up keeps the moves that fitted, and nothing is written
// past it into the next ply's list.
TEST(Generate, AFullListKeepsItsFirstMovesAndNoMore) {
    freshEngine();
    const int ply = movegen::searchPly;
    Move& nextPlysFirst = movegen::MoveList[ply + 1][0];
    nextPlysFirst = Move{};
    nextPlysFirst.score = 12345;
    constexpr int ROOM = 3;
    movegen::moveCount[ply] = MAX_MOVES - ROOM;
    movegen::generateMoves();
    ASSERT_EQ(movegen::moveCount[ply], MAX_MOVES);
    EXPECT_EQ(nextPlysFirst.score, 12345);
    EXPECT_EQ(nextPlysFirst.piece, 0);
    std::vector<std::string> appended;
    for (int index = MAX_MOVES - ROOM; index < MAX_MOVES; ++index)
        appended.push_back(moveText(movegen::MoveList[ply][index]));
    EXPECT_EQ(appended, (std::vector<std::string>{"b1c3", "b1a3", "g1h3"}));
}

// Every field but savedEpFile, which generation leaves alone.
std::string recordText(const Move& move) {
    std::ostringstream text;
    text << moveText(move) << " piece " << int{move.piece} << " captured " << int{move.captured} << " ep "
         << int{move.enPassant} << " castling " << int{move.castling} << " loss " << move.castlingLoss << " score "
         << move.score;
    return text.str();
}

// Captures come in the full generator's order as the very same records, scored
// victim minus attacker over a base, with the new piece's worth for promotions.
TEST(Generate, CapturesAreTheFullListsCapturesWithTheirScores) {
    freshEngine();
    auto capturesOf = [](bool onlyCaptures) {
        const int ply = movegen::searchPly;
        movegen::moveCount[ply] = 0;
        if (onlyCaptures)
            movegen::generateCaptures();
        else
            movegen::generateMoves();
        std::vector<Move> moves;
        for (int index = 0; index < movegen::moveCount[ply]; ++index) {
            const Move& move = movegen::MoveList[ply][index];
            if (onlyCaptures || move.captured != EMPTY || move.enPassant) moves.push_back(move);
        }
        return moves;
    };
    // Each suite position and every position two moves from it: pawns on the edges, en-passant
    // rows, promotions by capture, knights and kings with and without an enemy in reach.
    std::function<void(int, const char*)> compareFrom = [&](int plies, const char* line) {
        const std::vector<Move> full = capturesOf(false), captures = capturesOf(true);
        ASSERT_EQ(full.size(), captures.size()) << line << " at ply " << movegen::searchPly;
        for (std::size_t index = 0; index < full.size(); ++index)
            ASSERT_EQ(recordText(full[index]), recordText(captures[index])) << line;
        if (plies == 0) return;
        const int ply = movegen::searchPly;
        movegen::moveCount[ply] = 0;
        movegen::generateMoves();
        for (int index = 0; index < movegen::moveCount[ply]; ++index) {
            Move move = movegen::MoveList[ply][index];
            const HashKey key = board::currentKey;
            board::makeMove(move);
            ++movegen::searchPly;
            compareFrom(plies - 1, line);
            --movegen::searchPly;
            board::unmakeMove(move);
            board::currentKey = key;
        }
    };
    for (const char* line : PERFT_SUITE) {
        const std::string text = line;
        setPosition(text.substr(0, text.find(';')));
        compareFrom(2, line);
    }
    auto scoreOf = [](const char* fen, const char* move) {
        setPosition(fen);
        movegen::moveCount[0] = 0;
        movegen::generateMoves();
        for (int index = 0; index < movegen::moveCount[0]; ++index)
            if (moveText(movegen::MoveList[0][index]) == move) return movegen::MoveList[0][index].score;
        ADD_FAILURE() << move << " not generated in " << fen;
        return -1;
    };
    EXPECT_EQ(scoreOf("q3k3/8/8/8/8/8/8/R3K3 w - -", "a1a8"), 1450);
    EXPECT_EQ(scoreOf("r3k3/8/8/8/8/8/8/R3K3 w - -", "a1a8"), 1000);
    EXPECT_EQ(scoreOf("k7/8/8/8/8/8/8/R3K3 w - -", "a1a8"), 500);
    EXPECT_EQ(scoreOf("4k3/1P6/8/8/8/8/8/4K3 w - -", "b7b8q"), 950);
    EXPECT_EQ(scoreOf("4k3/1P6/8/8/8/8/8/4K3 w - -", "b7b8r"), 500);
    EXPECT_EQ(scoreOf("4k3/8/8/3pP3/8/8/8/4K3 w - d6", "e5d6"), 0);
    EXPECT_EQ(scoreOf("4k3/8/8/8/8/8/8/r3K3 b - -", "a1e1"), 500) << "black sees its rook's worth the same way";
}

}  // namespace
