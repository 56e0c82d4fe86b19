// The two evaluators: middle game with king shield, rook, bishop and pawn
// terms; end game with its own pawn and king tables and stronger pawn terms.
#include "eval/evaluate.h"

#include <bit>
#include <cstdint>

#include "board/position.h"
#include "eval/tables.h"

namespace eval {

namespace {

using board::Board;

// clang-format off
constexpr int SHIELD_MISSING_PENALTY   = 30;
constexpr int SHIELD_STEP_PENALTY      = 10;
constexpr int ROOK_HALF_OPEN_BONUS     = 10;
constexpr int ROOK_OPEN_EXTRA_BONUS    = 10;
constexpr int CONNECTED_ROOKS_BONUS    = 15;
constexpr int ROOK_SEVENTH_BONUS       = 20;
constexpr int BLOCKING_BISHOP_PENALTY  = 90;
constexpr int BISHOP_PAIR_BONUS        = 10;
constexpr int EARLY_QUEEN_PENALTY      = 100;
constexpr int EARLY_QUEEN_PLIES        = 7;
constexpr int QUEEN_HOME_COL           = 3;
// The lone king's distance from the centre, and the kings' nearness, in the guidance's terms.
// Their sum stays below the futility margin, as the cheap estimate carries it too.
constexpr int LONE_KING_EDGE_WEIGHT    = 10;
constexpr int KINGS_NEAR_WEIGHT        = 4;
constexpr int MAX_KING_DISTANCE        = 14;

constexpr int MG_DOUBLED_PENALTY       = 5;
constexpr int MG_STRAGGLER_PENALTY     = 10;
constexpr int MG_PASSED_BASE           = 14;
constexpr int MG_PASSED_PER_ROW        = 6;
constexpr int MG_BLACK_PASSED_BASE     = 56;
constexpr int MG_PASSED_SUPPORT_BONUS  = 10;
constexpr int MG_BACKWARD_PENALTY      = 5;

constexpr int EG_DOUBLED_PENALTY       = 15;
constexpr int EG_ISOLATED_PENALTY      = 20;
constexpr int EG_PASSED_BONUS          = 45;
constexpr int EG_PASSED_SUPPORT_BONUS  = 20;
constexpr int EG_BACKWARD_PENALTY      = 10;
// clang-format on

inline bool moreThanOne(std::uint64_t bits) { return (bits & (bits - 1)) != 0; }

// A set of one or two squares counted without std::popcount, a library call on baseline x86-64.
inline int countOfTwoAtMost(std::uint64_t bits) { return (bits != 0) + moreThanOne(bits); }

// d3 and e3, d6 and e6.
constexpr std::uint64_t WHITE_BLOCKING_BISHOP_SQUARES = 0x0000000000180000ULL;
constexpr std::uint64_t BLACK_BLOCKING_BISHOP_SQUARES = 0x0000180000000000ULL;

constexpr int NO_WHITE_PAWN_ROW = FIRST_ROW;
constexpr int NO_BLACK_PAWN_ROW = LAST_ROW;

struct PawnFileSummary {
    std::int8_t whiteRear[BOARD_SIZE];
    std::int8_t whiteFront[BOARD_SIZE];
    std::int8_t blackFront[BOARD_SIZE];
    std::int8_t blackRear[BOARD_SIZE];
};

// Calls visit(row, col) for every set bit, lowest first.
template <typename Visit>
inline void forEachSquare(std::uint64_t bits, Visit visit) {
    for (; bits != 0; bits &= bits - 1) {
        const int square = std::countr_zero(bits);
        visit(square / BOARD_SIZE, square % BOARD_SIZE);
    }
}

// Pawns on the first and last rows (only a loaded board holds them) are left out of the summary.
constexpr std::uint64_t INNER_ROWS = 0x00FFFFFFFFFFFF00ULL;

PawnFileSummary summarisePawns() {
    PawnFileSummary pawns;
    for (int col = 0; col < BOARD_SIZE; ++col) {
        pawns.whiteRear[col] = pawns.whiteFront[col] = NO_WHITE_PAWN_ROW;
        pawns.blackFront[col] = pawns.blackRear[col] = NO_BLACK_PAWN_ROW;
    }
    // Rising bits meet each file's pawns from the lowest row up.
    forEachSquare(board::pieceBits[WHITE_PAWN] & INNER_ROWS, [&](int row, int col) {
        if (pawns.whiteRear[col] == NO_WHITE_PAWN_ROW) pawns.whiteRear[col] = static_cast<std::int8_t>(row);
        pawns.whiteFront[col] = static_cast<std::int8_t>(row);
    });
    forEachSquare(board::pieceBits[BLACK_PAWN] & INNER_ROWS, [&](int row, int col) {
        if (pawns.blackFront[col] == NO_BLACK_PAWN_ROW) pawns.blackFront[col] = static_cast<std::int8_t>(row);
        pawns.blackRear[col] = static_cast<std::int8_t>(row);
    });
    return pawns;
}

// True when the test holds on every neighbouring file that exists.
template <typename Test>
bool onAllNeighbours(int col, Test test) {
    if (col > FIRST_COL && !test(col - 1)) return false;
    if (col < LAST_COL && !test(col + 1)) return false;
    return true;
}

// True when the test holds on at least one neighbouring file.
template <typename Test>
bool onAnyNeighbour(int col, Test test) {
    return (col > FIRST_COL && test(col - 1)) || (col < LAST_COL && test(col + 1));
}

struct PawnTraits {
    bool doubled;
    bool straggler;
    bool isolated;
    bool passed;
    bool supported;  // an own pawn stands diagonally behind
    bool backward;
};

PawnTraits whitePawnTraits(const PawnFileSummary& pawns, int row, int col) {
    const std::int8_t* front = pawns.whiteFront;
    const std::int8_t* enemy = pawns.blackFront;
    PawnTraits traits{};
    traits.doubled = row < front[col];
    traits.straggler = onAllNeighbours(col, [&](int n) { return front[n] < row - 2; });
    traits.isolated = onAllNeighbours(col, [&](int n) { return front[n] == NO_WHITE_PAWN_ROW; });
    traits.passed = (enemy[col] < row || enemy[col] == NO_BLACK_PAWN_ROW) &&
                    onAllNeighbours(col, [&](int n) { return enemy[n] <= row || enemy[n] == NO_BLACK_PAWN_ROW; });
    traits.supported = row > FIRST_ROW && onAnyNeighbour(col, [&](int n) { return Board[row - 1][n] == WHITE_PAWN; });
    traits.backward = onAllNeighbours(col, [&](int n) { return front[n] > row + 1; });
    return traits;
}

PawnTraits blackPawnTraits(const PawnFileSummary& pawns, int row, int col) {
    const std::int8_t* front = pawns.blackFront;
    const std::int8_t* enemy = pawns.whiteFront;
    PawnTraits traits{};
    traits.doubled = row > front[col];
    traits.straggler = onAllNeighbours(col, [&](int n) { return front[n] > row + 2; });
    traits.isolated = onAllNeighbours(col, [&](int n) { return front[n] == NO_BLACK_PAWN_ROW; });
    traits.passed = (enemy[col] > row || enemy[col] == NO_WHITE_PAWN_ROW) &&
                    onAllNeighbours(col, [&](int n) { return enemy[n] >= row || enemy[n] == NO_WHITE_PAWN_ROW; });
    traits.supported = row < LAST_ROW && onAnyNeighbour(col, [&](int n) { return Board[row + 1][n] == BLACK_PAWN; });
    traits.backward = onAllNeighbours(col, [&](int n) { return front[n] < row - 1; });
    return traits;
}

int fromSideToMove(int whiteScore) { return board::sideToMove == WHITE ? whiteScore : -whiteScore; }

int whiteKingShield(const PawnFileSummary& pawns, int row, int col) {
    // The king only counts as castled on files a-c and f-h of its back rank.
    if (row != FIRST_ROW || col == 3 || col == 4) return 0;
    int penalty = 0;
    for (int file = col - 1; file <= col + 1; ++file)
        if (file >= FIRST_COL && file <= LAST_COL) penalty += whiteShieldPenalty(pawns.whiteRear[file], FIRST_ROW);
    return penalty;
}

int blackKingShield(const PawnFileSummary& pawns, int row, int col) {
    // f8 is not treated as castled, unlike f1.
    if (row != LAST_ROW || col == 3 || col == 4 || col == 5) return 0;
    int penalty = 0;
    for (int file = col - 1; file <= col + 1; ++file)
        if (file >= FIRST_COL && file <= LAST_COL) penalty += blackShieldPenalty(pawns.blackRear[file], LAST_ROW);
    return penalty;
}

// A rook earns the bonus once for looking up its file, and once for looking right along its row,
// when the first own piece there is a rook. Both lines run towards rising square numbers, so the
// first own piece is the lowest own bit on them.
constexpr std::uint64_t FILE_A_BITS = 0x0101010101010101ULL;
constexpr std::uint64_t ROW_1_BITS = 0xFFULL;

template <bool White>
int connectedRookBonus(int square) {
    const std::uint64_t own = board::sideSquares(White ? WHITE : BLACK);
    const std::uint64_t rooks = board::pieceBits[White ? WHITE_ROOK : BLACK_ROOK];
    const int row = square / BOARD_SIZE;
    const int col = square % BOARD_SIZE;
    const std::uint64_t beyond = ~std::uint64_t{0} << square << 1;  // squares numbered above this one
    const std::uint64_t up = own & beyond & (FILE_A_BITS << col);
    const std::uint64_t right = own & beyond & (ROW_1_BITS << (row * BOARD_SIZE));
    int bonus = 0;
    if (up != 0 && (rooks & (up & (~up + 1))) != 0) bonus += CONNECTED_ROOKS_BONUS;
    if (right != 0 && (rooks & (right & (~right + 1))) != 0) bonus += CONNECTED_ROOKS_BONUS;
    return bonus;
}

// The bonus of all the side's rooks. Only another rook can earn one, so with two rooks, the usual
// case, only the lower one can, and only when no own piece stands between them on a shared line.
template <bool White>
int connectedRooks() {
    const std::uint64_t rooks = board::pieceBits[White ? WHITE_ROOK : BLACK_ROOK];
    if (!moreThanOne(rooks)) return 0;
    if (moreThanOne(rooks & (rooks - 1))) {
        int bonus = 0;
        for (std::uint64_t bits = rooks; bits != 0; bits &= bits - 1)
            bonus += connectedRookBonus<White>(std::countr_zero(bits));
        return bonus;
    }
    const int low = std::countr_zero(rooks);
    const int high = std::bit_width(rooks) - 1;
    const std::uint64_t between = (std::uint64_t{1} << high) - (std::uint64_t{2} << low);
    const std::uint64_t blockers = board::sideSquares(White ? WHITE : BLACK) & between;
    if (low % BOARD_SIZE == high % BOARD_SIZE)
        return (blockers & (FILE_A_BITS << (low % BOARD_SIZE))) == 0 ? CONNECTED_ROOKS_BONUS : 0;
    if (low / BOARD_SIZE == high / BOARD_SIZE) return blockers == 0 ? CONNECTED_ROOKS_BONUS : 0;
    return 0;
}

int whiteRookTerms(const PawnFileSummary& pawns, int row, int col) {
    int bonus = 0;
    if (pawns.whiteFront[col] == NO_WHITE_PAWN_ROW) {
        bonus += ROOK_HALF_OPEN_BONUS;
        if (pawns.blackFront[col] == NO_BLACK_PAWN_ROW) bonus += ROOK_OPEN_EXTRA_BONUS;
    }
    if (row == 6) bonus += ROOK_SEVENTH_BONUS;
    return bonus;
}

int blackRookTerms(const PawnFileSummary& pawns, int row, int col) {
    int bonus = 0;
    if (pawns.blackFront[col] == NO_BLACK_PAWN_ROW) {
        bonus += ROOK_HALF_OPEN_BONUS;
        if (pawns.whiteFront[col] == NO_WHITE_PAWN_ROW) bonus += ROOK_OPEN_EXTRA_BONUS;
    }
    if (row == 1) bonus += ROOK_SEVENTH_BONUS;
    return bonus;
}

// The pawns are visited through their bits, all of them (first and last rows too); the sum does
// not depend on the order.
int middlegamePawnStructure(const PawnFileSummary& pawns) {
    int score = 0;
    forEachSquare(board::pieceBits[WHITE_PAWN], [&](int row, int col) {
        const PawnTraits pawn = whitePawnTraits(pawns, row, col);
        if (pawn.doubled) score -= MG_DOUBLED_PENALTY;
        if (pawn.straggler) score -= MG_STRAGGLER_PENALTY;
        if (pawn.passed) {
            score += MG_PASSED_BASE + MG_PASSED_PER_ROW * row;
            if (pawn.supported) score += MG_PASSED_SUPPORT_BONUS;
        }
        if (pawn.backward) score -= MG_BACKWARD_PENALTY;
    });
    forEachSquare(board::pieceBits[BLACK_PAWN], [&](int row, int col) {
        const PawnTraits pawn = blackPawnTraits(pawns, row, col);
        if (pawn.doubled) score += MG_DOUBLED_PENALTY;
        if (pawn.straggler) score += MG_STRAGGLER_PENALTY;
        if (pawn.passed) {
            score -= MG_BLACK_PASSED_BASE - MG_PASSED_PER_ROW * row;
            if (pawn.supported) score -= MG_PASSED_SUPPORT_BONUS;
        }
        if (pawn.backward) score += MG_BACKWARD_PENALTY;
    });
    return score;
}

int endgamePawnTerm(const PawnTraits& pawn) {
    int term = 0;
    if (pawn.doubled) term -= EG_DOUBLED_PENALTY;
    if (pawn.isolated) term -= EG_ISOLATED_PENALTY;
    if (pawn.passed) term += pawn.supported ? EG_PASSED_BONUS + EG_PASSED_SUPPORT_BONUS : EG_PASSED_BONUS;
    if (pawn.backward) term -= EG_BACKWARD_PENALTY;
    return term;
}

int endgamePawnStructure(const PawnFileSummary& pawns) {
    int score = 0;
    forEachSquare(board::pieceBits[WHITE_PAWN],
                  [&](int row, int col) { score += endgamePawnTerm(whitePawnTraits(pawns, row, col)); });
    forEachSquare(board::pieceBits[BLACK_PAWN],
                  [&](int row, int col) { score -= endgamePawnTerm(blackPawnTraits(pawns, row, col)); });
    return score;
}

// The pawn terms depend on the pawns alone, and a search meets few pawn layouts, so each
// layout's file summary and structure terms are kept in a small direct-mapped cache whose
// entries are checked against both colours' pawn bits in full: a hit is always exact.
constexpr int PAWN_CACHE_BITS = 14;
constexpr std::uint8_t HAS_MIDDLEGAME_TERMS = 1;
constexpr std::uint8_t HAS_ENDGAME_TERMS = 2;

struct PawnCacheEntry {
    std::uint64_t whitePawns;
    std::uint64_t blackPawns;
    PawnFileSummary summary;
    std::int32_t middlegameTerms;
    std::int32_t endgameTerms;
    std::uint8_t filled;  // which of the terms are stored; 0 marks an unused entry
};

thread_local constinit PawnCacheEntry PawnCache[1 << PAWN_CACHE_BITS] = {};

// The entry of the current pawn layout, its summary filled; terms are filled on demand.
PawnCacheEntry& pawnEntry() {
    const std::uint64_t white = board::pieceBits[WHITE_PAWN], black = board::pieceBits[BLACK_PAWN];
    const std::uint64_t mixed = white * 0x9E3779B97F4A7C15ULL ^ black * 0xC2B2AE3D27D4EB4FULL;
    PawnCacheEntry& entry = PawnCache[mixed >> (64 - PAWN_CACHE_BITS)];
    if (entry.filled == 0 || entry.whitePawns != white || entry.blackPawns != black) {
        entry.whitePawns = white;
        entry.blackPawns = black;
        entry.summary = summarisePawns();
        entry.filled = 0;
    }
    return entry;
}

int middlegamePawnTerms(PawnCacheEntry& entry) {
    if ((entry.filled & HAS_MIDDLEGAME_TERMS) == 0) {
        entry.middlegameTerms = middlegamePawnStructure(entry.summary);
        entry.filled |= HAS_MIDDLEGAME_TERMS;
    }
    return entry.middlegameTerms;
}

int endgamePawnTerms(PawnCacheEntry& entry) {
    if ((entry.filled & HAS_ENDGAME_TERMS) == 0) {
        entry.endgameTerms = endgamePawnStructure(entry.summary);
        entry.filled |= HAS_ENDGAME_TERMS;
    }
    return entry.endgameTerms;
}

// Material and tables of the board with each phase's tables, kept up to date by the moves.
using board::middlegameMaterial;
using board::endgameMaterial;

bool isMiddlegame() { return board::nonPawnPieceCount >= MIDDLEGAME_MIN_PIECES; }

bool loneKingGuidance = false;

// Every piece of the side but its king.
bool hasOnlyKing(PieceCode firstCode, PieceCode lastCode, PieceCode king) {
    for (PieceCode code = firstCode; code <= lastCode; ++code)
        if (code != king && board::pieceBits[code] != 0) return false;
    return true;
}
bool whiteKingAlone() { return hasOnlyKing(WHITE_ROOK, WHITE_PAWN, WHITE_KING); }
bool blackKingAlone() { return hasOnlyKing(BLACK_PAWN, BLACK_ROOK, BLACK_KING); }

// Manhattan distance of a square (row * 8 + column) from the four centre squares.
int centreDistance(int square) {
    const int row = square / BOARD_SIZE;
    const int col = square % BOARD_SIZE;
    const auto fromCentre = [](int line) { return line < BOARD_SIZE / 2 ? BOARD_SIZE / 2 - 1 - line : line - BOARD_SIZE / 2; };
    return fromCentre(row) + fromCentre(col);
}

int kingDistance(int first, int second) {
    const int rows = first / BOARD_SIZE - second / BOARD_SIZE;
    const int cols = first % BOARD_SIZE - second % BOARD_SIZE;
    return (rows < 0 ? -rows : rows) + (cols < 0 ? -cols : cols);
}

// White positive: the stronger side gains as the lone king nears a corner and the kings close in.
int loneKingTerm() {
    const std::uint64_t whiteKing = board::pieceBits[WHITE_KING];
    const std::uint64_t blackKing = board::pieceBits[BLACK_KING];
    if (whiteKing == 0 || blackKing == 0) return 0;
    const bool whiteAlone = whiteKingAlone();
    const bool blackAlone = blackKingAlone();
    if (whiteAlone == blackAlone) return 0;
    const int whiteSquare = std::countr_zero(whiteKing);
    const int blackSquare = std::countr_zero(blackKing);
    const int term = LONE_KING_EDGE_WEIGHT * centreDistance(whiteAlone ? whiteSquare : blackSquare) +
                     KINGS_NEAR_WEIGHT * (MAX_KING_DISTANCE - kingDistance(whiteSquare, blackSquare));
    return blackAlone ? term : -term;
}

int guidance() { return loneKingGuidance ? loneKingTerm() : 0; }

}  // namespace

void setLoneKingGuidance(bool enabled) { loneKingGuidance = enabled; }

bool loneKingOnBoard() { return whiteKingAlone() != blackKingAlone(); }

int whiteShieldPenalty(int pawnRow, int kingRow) {
    if (pawnRow != NO_WHITE_PAWN_ROW && pawnRow >= kingRow) return (pawnRow - kingRow - 1) * SHIELD_STEP_PENALTY;
    return SHIELD_MISSING_PENALTY;
}

int blackShieldPenalty(int pawnRow, int kingRow) {
    if (pawnRow != NO_BLACK_PAWN_ROW && pawnRow <= kingRow) return (kingRow - pawnRow - 1) * SHIELD_STEP_PENALTY;
    return SHIELD_MISSING_PENALTY;
}

int evaluate() { return isMiddlegame() ? evaluateMiddlegame() : evaluateEndgame(); }

int evaluateMiddlegame() {
    PawnCacheEntry& entry = pawnEntry();
    const PawnFileSummary& pawns = entry.summary;
    int score = middlegameMaterial();
    // Only kings, rooks and bishops have terms here, and the sum does not depend on the order.
    using board::pieceBits;
    forEachSquare(pieceBits[WHITE_KING], [&](int row, int col) { score -= whiteKingShield(pawns, row, col); });
    forEachSquare(pieceBits[BLACK_KING], [&](int row, int col) { score += blackKingShield(pawns, row, col); });
    forEachSquare(pieceBits[WHITE_ROOK], [&](int row, int col) { score += whiteRookTerms(pawns, row, col); });
    forEachSquare(pieceBits[BLACK_ROOK], [&](int row, int col) { score -= blackRookTerms(pawns, row, col); });
    score += connectedRooks<true>() - connectedRooks<false>();
    // A bishop on d3/e3 in front of its unmoved centre pawn locks both in: each pawn bit shifted a
    // row forward meets the bishop standing in front of it.
    score -= BLOCKING_BISHOP_PENALTY * countOfTwoAtMost(pieceBits[WHITE_BISHOP] & pieceBits[WHITE_PAWN] << BOARD_SIZE &
                                                     WHITE_BLOCKING_BISHOP_SQUARES);
    score += BLOCKING_BISHOP_PENALTY * countOfTwoAtMost(pieceBits[BLACK_BISHOP] & pieceBits[BLACK_PAWN] >> BOARD_SIZE &
                                                     BLACK_BLOCKING_BISHOP_SQUARES);
    if (moreThanOne(pieceBits[WHITE_BISHOP])) score += BISHOP_PAIR_BONUS;
    if (moreThanOne(pieceBits[BLACK_BISHOP])) score -= BISHOP_PAIR_BONUS;
    if (board::gamePly < EARLY_QUEEN_PLIES) {
        if (Board[FIRST_ROW][QUEEN_HOME_COL] != WHITE_QUEEN) score -= EARLY_QUEEN_PENALTY;
        if (Board[LAST_ROW][QUEEN_HOME_COL] != BLACK_QUEEN) score += EARLY_QUEEN_PENALTY;
    }
    score += middlegamePawnTerms(entry);
    return fromSideToMove(score);
}

int evaluateEndgame() {
    return fromSideToMove(endgameMaterial() + endgamePawnTerms(pawnEntry()) + guidance());
}

int quickEvaluate() { return isMiddlegame() ? quickEvaluateMiddlegame() : quickEvaluateEndgame(); }

int quickEvaluateMiddlegame() { return fromSideToMove(middlegameMaterial()); }

int quickEvaluateEndgame() { return fromSideToMove(endgameMaterial() + guidance()); }

}  // namespace eval
