// Evaluation: the worked values of both evaluators and the quick estimate.
#include <gtest/gtest.h>

#include "board/position.h"
#include "eval/evaluate.h"
#include "test_support.h"

using namespace testing_support;

namespace {

struct EvalCase {
    const char* name;
    const char* fen;    // empty: moves from the start instead
    const char* moves;  // space separated, played from the start
    int gamePly;        // forced afterwards when >= 0
    int value;
    int quickValue;
};

void setUp(const EvalCase& example) {
    freshEngine();
    if (example.fen[0] != '\0') setPosition(example.fen);
    std::string moves = example.moves, move;
    for (std::size_t at = 0; at <= moves.size(); ++at) {
        if (at == moves.size() || moves[at] == ' ') {
            if (!move.empty()) playMove(move);
            move.clear();
        } else {
            move += moves[at];
        }
    }
    if (example.gamePly >= 0) board::gamePly = example.gamePly;
}

}  // namespace

TEST(Eval, WorkedExamples) {
    const EvalCase cases[] = {
        {"start", "", "", -1, 0, 0},
        {"e4", "", "e2e4", -1, -7, -7},
        {"early queen", "", "e2e4 e7e5 d1h5", -1, 100, 0},
        {"blocking bishop", "", "e2e3 e7e6 f1d3", -1, 82, -8},
        {"black blocking bishop", "", "e2e4 e7e6 g1f3 f8d6", 20, 102, 12},
        {"lone passed pawn", "4k3/8/8/8/4P3/8/8/4K3 w - -", "", -1, 165, 140},
        {"middle game", "r1bqr1k1/ppp2pp1/5n1p/3P4/8/5NP1/PPP2P1P/R1BQR1K1 w - -", "", 20, 104, 114},
        {"middle game black", "r1bqr1k1/ppp2pp1/5n1p/3P4/8/5NP1/PPP2P1P/R1BQR1K1 b - -", "", 20, -104, -114},
        {"end game", "8/2p5/3k4/4P3/3K4/2P5/8/8 w - -", "", -1, 205, 180},
        // Forty queens: the material sums run far past 16 bits.
        {"queens", "4k3/8/QQQQQQQQ/QQQQQQQQ/QQQQQQQQ/QQQQQQQQ/QQQQQQQQ/4K3 w - -", "", -1, 38000, 38000},
        {"queens black", "4k3/8/QQQQQQQQ/QQQQQQQQ/QQQQQQQQ/QQQQQQQQ/QQQQQQQQ/4K3 b - -", "", -1, -38000, -38000},
        // Rooks pair up along a free file or row; an enemy piece between them does not part them, an own one does.
        {"rooks past an enemy", "4k3/8/8/R1n1R3/8/8/8/2B1K1N1 w - -", "", 20, 1363, 1308},
        {"rooks behind an own piece", "4k3/8/8/R1N1R3/8/8/8/2B1K1n1 w - -", "", 20, 1372, 1332},
        {"rooks along the back row", "r3k1nr/pppppppp/8/8/8/8/PPPPPPPP/R4RKN w - -", "", 20, 37, 22},
        {"black rooks on a file", "4k3/3r4/8/3r4/8/8/8/1NB1K1n1 b - -", "", 20, 735, 680},
        {"black rooks behind a bishop", "4k3/3r4/3b4/3r4/8/8/8/1NB1K1n1 b - -", "", 20, 1048, 1008},
        {"three white rooks", "4k3/R7/8/8/R3R3/8/8/1N2K1n1 w - -", "", 20, 1610, 1500},
        {"three black rooks", "1n2k1N1/8/8/r3r3/8/8/r7/4K3 b - -", "", 20, 1610, 1500},
        {"four rooks in a row", "4k3/8/8/8/8/8/8/RRRRK1nn w - -", "", 20, 1523, 1398},
    };
    for (const EvalCase& example : cases) {
        setUp(example);
        EXPECT_EQ(eval::evaluate(), example.value) << example.name;
        EXPECT_EQ(eval::quickEvaluate(), example.quickValue) << example.name;
    }
}

TEST(Eval, PhaseThresholdAndTerms) {
    freshEngine();
    // Five officers: middle game; four: end game (the two evaluators differ on a lone king pair).
    setPosition("rn2k3/8/8/8/8/8/8/RNB1K3 w - -");
    ASSERT_EQ(board::nonPawnPieceCount, 5);
    EXPECT_EQ(eval::evaluate(), eval::evaluateMiddlegame());
    setPosition("rn2k3/8/8/8/8/8/8/RN2K3 w - -");
    ASSERT_EQ(board::nonPawnPieceCount, 4);
    EXPECT_EQ(eval::evaluate(), eval::evaluateEndgame());

    struct ShieldCase {
        int pawnRow, kingRow, white, black;
    };
    const ShieldCase shields[] = {{1, 0, 0, 30}, {2, 0, 10, 30}, {3, 0, 20, 30}, {4, 0, 30, 30},
                                  {5, 0, 40, 30}, {0, 0, 30, -10}, {6, 7, 30, 0}, {7, 7, -10, 30}};
    for (const ShieldCase& shield : shields) {
        EXPECT_EQ(eval::whiteShieldPenalty(shield.pawnRow, shield.kingRow), shield.white);
        EXPECT_EQ(eval::blackShieldPenalty(shield.pawnRow, shield.kingRow), shield.black);
    }
}

TEST(Eval, RookAndPawnTerms) {
    freshEngine();
    // Two white rooks on one file with a black knight between them keep the +15 pair bonus.
    setPosition("4k3/8/3R4/3n4/3R4/8/8/NN2K1n1 w - -");
    board::gamePly = 20;
    const int connected = eval::evaluateMiddlegame();
    setPosition("4k3/8/2R5/3n4/3R4/8/8/NN2K1n1 w - -");
    board::gamePly = 20;
    const int apart = eval::evaluateMiddlegame();
    // c6 and d4 are both on open files (+20 each) and off the seventh rank: only the pair term differs.
    EXPECT_EQ(connected - apart, 15);

    // A white rook on the seventh rank earns +20 on top of its file terms.
    setPosition("4k3/3R4/8/8/8/8/8/NN2K1n1 w - -");
    board::gamePly = 20;
    const int seventh = eval::evaluateMiddlegame();
    setPosition("4k3/8/3R4/8/8/8/8/NN2K1n1 w - -");
    board::gamePly = 20;
    EXPECT_EQ(seventh - eval::evaluateMiddlegame(), 20);
}
