#!/usr/bin/env python3
"""Reference perft counts for Chess960 and Double Fischer Random, computed by Stockfish.

Prints an EPD corpus on standard output and a summary (timings, how varied the
random positions are) on standard error.  Rerun it from the repository root with

    python3 tools/perft960-reference.py > tests/data/perft960.epd

Options:
    --seed N        seed of the random play (default 960); the same seed, counts and
                    Stockfish version give the same file
    --random960 N   positions played out from random Chess960 starts (default 80)
    --double960 N   positions played out from Double Fischer Random starts (default 80)
    --depth N       deepest perft of those positions (default 5; at least 4)
    --engine PATH   the Stockfish binary (default /usr/games/stockfish)

Each line is `FEN ;D1 n ;D2 n ...`, the counts being leaf counts (`Nodes searched`).
The first section holds all 960 start positions in the usual numbering, with a
trailing `;id N` and D1 to D3, castling rights as rook files (Shredder-FEN).  The
second holds positions reached by random legal play that keep at least one castling
right, with D1 to --depth; their castling fields alternate between X-FEN (K/Q/k/q
unless another rook stands further out on that side) and Shredder-FEN.

Stockfish runs as one long-lived process, one thread, 16 MB of hash, in Chess960
mode.  Every FEN is fed back to it before it is written, and must come back as the
same position.
"""
import argparse
import random
import subprocess
import sys
import time

FILES = "abcdefgh"
# The ten ways to put two knights on five free squares, in the numbering's order.
KNIGHT_PLACEMENTS = [(0, 1), (0, 2), (0, 3), (0, 4), (1, 2), (1, 3), (1, 4), (2, 3), (2, 4), (3, 4)]
MIN_PLIES, MAX_PLIES = 4, 40


# ---------------------------------------------------------------- start positions

def start_row(number):
    """White's back row of Chess960 start `number` (0..959), files a to h."""
    row = [None] * 8
    row[1 + 2 * (number % 4)] = "B"          # light squares: b, d, f, h
    row[2 * ((number // 4) % 4)] = "B"       # dark squares: a, c, e, g
    free = [i for i in range(8) if row[i] is None]
    row[free[(number // 16) % 6]] = "Q"
    free = [i for i in range(8) if row[i] is None]
    for index in KNIGHT_PLACEMENTS[number // 96]:
        row[free[index]] = "N"
    free = [i for i in range(8) if row[i] is None]
    for square, piece in zip(free, "RKR"):
        row[square] = piece
    return "".join(row)


def start_castling(row):
    """Shredder castling letters of one back row: king-side rook first."""
    king = row.index("K")
    queen_side = row.index("R")
    king_side = row.rindex("R")
    assert queen_side < king < king_side
    return FILES[king_side] + FILES[queen_side]


def start_fen(white_row, black_row):
    """Start position with the given back rows (black's as seen from white, upper case)."""
    castling = start_castling(white_row).upper() + start_castling(black_row)
    return f"{black_row.lower()}/pppppppp/8/8/8/8/PPPPPPPP/{white_row} w {castling} - 0 1"


def check_numbering():
    assert start_row(518) == "RNBQKBNR", start_row(518)
    assert start_row(0) == "BBQNNRKR", start_row(0)
    assert start_row(959) == "RKRNNQBB", start_row(959)
    rows = [start_row(n) for n in range(960)]
    assert len(set(rows)) == 960, "start numbers must give 960 different rows"


# ---------------------------------------------------------------- the engine

class Stockfish:
    """One Stockfish process spoken to over a pipe, line by line."""

    def __init__(self, path):
        self.process = subprocess.Popen([path], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                        text=True, bufsize=1)
        self.send("uci")
        lines = self.read_until("uciok")
        self.name = next(line[len("id name "):] for line in lines if line.startswith("id name "))
        self.send("setoption name Threads value 1")
        self.send("setoption name Hash value 16")
        self.send("setoption name UCI_Chess960 value true")
        self.send("isready")
        self.read_until("readyok")

    def send(self, command):
        self.process.stdin.write(command + "\n")
        self.process.stdin.flush()

    def read_until(self, prefix):
        lines = []
        while True:
            line = self.process.stdout.readline()
            if not line:
                raise RuntimeError(f"Stockfish stopped before printing {prefix!r}")
            line = line.rstrip("\n")
            lines.append(line)
            if line.startswith(prefix):
                return lines

    def set_position(self, fen, moves=()):
        command = f"position fen {fen}"
        if moves:
            command += " moves " + " ".join(moves)
        self.send(command)

    def board(self):
        """FEN and checker squares of the current position, as `d` prints them."""
        self.send("d")
        lines = self.read_until("Checkers:")
        fen = next(line[len("Fen: "):] for line in lines if line.startswith("Fen: "))
        checkers = lines[-1][len("Checkers:"):].split()
        return fen, checkers

    def perft(self, depth):
        """Leaf count of the current position, and the root moves with their counts."""
        self.send(f"go perft {depth}")
        lines = self.read_until("Nodes searched:")
        divide = {}
        for line in lines[:-1]:
            move, _, count = line.partition(": ")
            if count.isdigit():
                divide[move] = int(count)
        total = int(lines[-1].split(":")[1])
        assert sum(divide.values()) == total, f"divide does not add up at depth {depth}"
        return total, divide

    def close(self):
        self.send("quit")
        self.process.wait(timeout=10)


# ---------------------------------------------------------------- reading FENs

def rank_squares(placement, rank):
    """The eight squares (a to h) of a rank, ' ' where empty; rank is 1..8."""
    text = placement.split("/")[8 - rank]
    squares = ""
    for char in text:
        squares += " " * int(char) if char.isdigit() else char
    assert len(squares) == 8, placement
    return squares


def back_rank(fen, colour):
    return rank_squares(fen.split()[0], 1 if colour == "w" else 8)


def king_file(fen, colour):
    """File index of the king, or None if it is off its back rank."""
    rank = back_rank(fen, colour)
    king = "K" if colour == "w" else "k"
    return rank.index(king) if king in rank else None


def king_file_anywhere(fen, colour):
    king = "K" if colour == "w" else "k"
    for rank in range(1, 9):
        squares = rank_squares(fen.split()[0], rank)
        if king in squares:
            return squares.index(king)
    raise ValueError(f"no king in {fen}")


def castling_rook_files(fen, colour):
    """File indexes of the rooks that still have a castling right (Shredder field)."""
    field = fen.split()[2]
    letters = [c for c in field if (c.isupper() if colour == "w" else c.islower())]
    return [FILES.index(c.lower()) for c in letters if c.lower() in FILES]


def castling_is_legal_now(fen, legal_moves):
    """Stockfish writes castling as the king taking its own rook: look for such a move."""
    side = fen.split()[1]
    rank = back_rank(fen, side)
    home = "1" if side == "w" else "8"
    king = "K" if side == "w" else "k"
    rook = "R" if side == "w" else "r"
    if king not in rank:
        return False
    king_square = FILES[rank.index(king)] + home
    return any(move[:2] == king_square and move[3] == home and rank[FILES.index(move[2])] == rook
               for move in legal_moves)


def to_xfen(fen):
    """Rewrite a Shredder castling field as X-FEN.

    A right becomes K/Q (k/q) when its rook is the outermost rook of that colour on
    that side of the king on the back rank; when another rook stands further out,
    the rook's file letter has to stay, since K/Q would name the outer rook.
    """
    fields = fen.split()
    if fields[2] == "-":
        return fen
    letters = []
    for char in fields[2]:
        colour = "w" if char.isupper() else "b"
        rank = back_rank(fen, colour)
        rook = "R" if colour == "w" else "r"
        rook_file = FILES.index(char.lower())
        king = king_file(fen, colour)
        assert rank[rook_file] == rook and king is not None, fen
        if rook_file > king:
            outer = [f for f in range(rook_file + 1, 8) if rank[f] == rook]
            plain = "K"
        else:
            outer = [f for f in range(0, rook_file) if rank[f] == rook]
            plain = "Q"
        if outer:
            letters.append(char)
        else:
            letters.append(plain if colour == "w" else plain.lower())
    fields[2] = "".join(letters)
    return " ".join(fields)


# ---------------------------------------------------------------- random play

def play_random_game(engine, start, rng):
    """Random legal moves from `start`, up to MAX_PLIES or until no castling right is left.

    Returns one snapshot per position reached: (plies, fen, checkers, legal moves).
    """
    moves = []
    snapshots = []
    while True:
        engine.set_position(start, moves)
        fen, checkers = engine.board()
        _, divide = engine.perft(1)
        legal = sorted(divide)
        snapshots.append((len(moves), fen, checkers, legal))
        if len(moves) == MAX_PLIES or not legal or fen.split()[2] == "-":
            return snapshots
        moves.append(rng.choice(legal))


def has_inner_castling_rook(fen):
    """A castling rook with another rook of its colour further out: X-FEN must name its file."""
    return any(c.lower() in FILES for c in to_xfen(fen).split()[2])


def wanted(snapshot, side, want):
    plies, fen, checkers, legal = snapshot
    if plies < MIN_PLIES or fen.split()[1] != side or fen.split()[2] == "-":
        return False
    if want == "castle":
        return castling_is_legal_now(fen, legal)
    if want == "check":
        return bool(checkers)
    if want == "inner rook":
        return has_inner_castling_rook(fen)
    return True


# Slots (line index modulo 24) of the positions that must be in check, and the line
# indexes of the few that must have an inner castling rook.  Both are chosen so that
# the feature falls on both kinds and both sides to move; inner rooks go on X-FEN
# lines (even indexes), where they make the field keep a file letter.
CHECK_SLOTS = (1, 2, 13, 22)
INNER_ROOK_LINES = (4, 10)
# Random play reaches an inner castling rook in only about one game in two thousand.
TRIES = {"inner rook": 100000}


def plan_positions(count960, count_double, rng):
    """What each random position should be: kind, side to move, feature, king file, plies.

    Written castling fields alternate X-FEN / Shredder-FEN line by line, sides to
    move every two lines, and the kind pattern shifts every four lines, so that each
    kind gets both notations and both sides.  One line in three must have castling
    legal right now, one in six must be in check.  White's king start file cycles
    over b..g so that kings and castling rooks land on many files.
    """
    left = {"960": count960, "double": count_double}
    plan = []
    for index in range(count960 + count_double):
        kind = "960" if (index + index // 4) % 2 == 0 else "double"
        if left[kind] == 0:
            kind = "double" if kind == "960" else "960"
        left[kind] -= 1
        side = "w" if (index // 2) % 2 == 0 else "b"
        if index % 3 == 0:
            want = "castle"
        elif index % 24 in CHECK_SLOTS:
            want = "check"
        elif index in INNER_ROOK_LINES:
            want = "inner rook"
        else:
            want = None
        king = 1 + (index // 4) % 6
        plies = rng.randint(MIN_PLIES, MAX_PLIES)
        plan.append((kind, side, want, king, plies))
    return plan


def random_start(kind, king, rng, starts_by_king):
    """A start FEN whose white king is on file `king`; double: black's row from another number."""
    white = rng.choice(starts_by_king[king])
    if kind == "960":
        return start_fen(start_row(white), start_row(white))
    black = rng.randrange(960)
    while black == white:
        black = rng.randrange(960)
    return start_fen(start_row(white), start_row(black))


def find_position(engine, entry, rng, starts_by_king, seen):
    """Play random games until one passes a position that fits the plan entry."""
    kind, side, want, king, plies = entry
    for _ in range(TRIES.get(want, 500)):
        start = random_start(kind, king, rng, starts_by_king)
        games = play_random_game(engine, start, rng)
        fits = [s for s in games if wanted(s, side, want) and s[1] not in seen]
        if fits:
            return min(fits, key=lambda s: (abs(s[0] - plies), s[0]))
    raise RuntimeError(f"no random game fitted {entry}")


# ---------------------------------------------------------------- counting

def verified_counts(engine, written_fen, expected_fen, depth, expected_moves=None):
    """Perft 1..depth of `written_fen`, after checking Stockfish reads it as `expected_fen`
    (and, where given, finds the same legal moves there)."""
    engine.set_position(written_fen)
    fen, _ = engine.board()
    if fen != expected_fen:
        raise AssertionError(f"{written_fen} was read back as {fen}, expected {expected_fen}")
    counts = []
    for d in range(1, depth + 1):
        total, divide = engine.perft(d)
        if d == 1 and expected_moves is not None and sorted(divide) != sorted(expected_moves):
            raise AssertionError(f"{written_fen}: legal moves differ after reading it back")
        counts.append(total)
    return counts


def epd_line(fen, counts, start_number=None):
    fields = [fen]
    if start_number is not None:
        fields.append(f"id {start_number}")
    fields += [f"D{d} {n}" for d, n in enumerate(counts, 1)]
    return " ;".join(fields)


def write_starts(engine, out):
    print("# Section 1: the 960 Chess960 start positions, numbered 0..959 (518 is the usual", file=out)
    print("# start), castling rights as rook files, king-side rook first; D1 to D3.", file=out)
    for number in range(960):
        row = start_row(number)
        fen = start_fen(row, row)
        counts = verified_counts(engine, fen, fen, 3)
        if number == 518:
            # The usual start: a check of the driver against well-known counts.
            assert counts == [20, 400, 8902], counts
        print(epd_line(fen, counts, number), file=out)


def write_random_positions(engine, plan, depth, rng, out, stats):
    starts_by_king = {}
    for number in range(960):
        starts_by_king.setdefault(start_row(number).index("K"), []).append(number)
    print("# Section 2: positions reached by random legal play from random Chess960 starts and", file=out)
    print("# Double Fischer Random starts (white's and black's rows from two different numbers),", file=out)
    print(f"# {MIN_PLIES} to {MAX_PLIES} plies in, each with a castling right left; castling fields alternate", file=out)
    print(f"# X-FEN, Shredder-FEN, X-FEN, ...; D1 to D{depth}.", file=out)
    seen = set()
    for index, entry in enumerate(plan):
        plies, fen, checkers, legal = find_position(engine, entry, rng, starts_by_king, seen)
        seen.add(fen)
        xfen = index % 2 == 0
        written = to_xfen(fen) if xfen else fen
        began = time.monotonic()
        counts = verified_counts(engine, written, fen, depth, legal)
        stats.record(entry[0], plies, fen, xfen, checkers, legal, time.monotonic() - began)
        print(epd_line(written, counts), file=out)
        out.flush()
        print(f"  {index + 1}/{len(plan)} {written} D{depth} {counts[-1]}", file=sys.stderr)


# ---------------------------------------------------------------- summary

class Stats:
    def __init__(self):
        self.rows = {name: [0] * 8 for name in
                     ("white king", "black king", "white castling rooks", "black castling rooks")}
        self.kinds = {}
        self.plies = []
        self.castle_now = self.in_check = self.white_to_move = self.black_to_move = 0
        self.xfen_lines = self.xfen_with_letters = 0
        self.seconds = 0.0

    def record(self, kind, plies, fen, xfen, checkers, legal, seconds):
        self.kinds[kind] = self.kinds.get(kind, 0) + 1
        self.plies.append(plies)
        self.seconds += seconds
        for colour, name in (("w", "white"), ("b", "black")):
            self.rows[f"{name} king"][king_file_anywhere(fen, colour)] += 1
            for rook in set(castling_rook_files(fen, colour)):
                self.rows[f"{name} castling rooks"][rook] += 1
        self.castle_now += castling_is_legal_now(fen, legal)
        self.in_check += bool(checkers)
        if fen.split()[1] == "w":
            self.white_to_move += 1
        else:
            self.black_to_move += 1
        if xfen:
            self.xfen_lines += 1
            self.xfen_with_letters += has_inner_castling_rook(fen)

    def report(self, out):
        print("positions per file (a..h):", file=out)
        print(f"  {'':22}" + "".join(f"{f:>5}" for f in FILES), file=out)
        for name, counts in self.rows.items():
            print(f"  {name:22}" + "".join(f"{n:>5}" for n in counts), file=out)
        print(f"kinds: {self.kinds}", file=out)
        print(f"plies: min {min(self.plies)}, max {max(self.plies)}, "
              f"per band 4-10/11-20/21-30/31-40: "
              f"{[sum(lo <= p <= hi for p in self.plies) for lo, hi in ((4, 10), (11, 20), (21, 30), (31, 40))]}",
              file=out)
        print(f"castling legal now: {self.castle_now}, in check: {self.in_check}, "
              f"white to move: {self.white_to_move}, black to move: {self.black_to_move}", file=out)
        print(f"X-FEN lines: {self.xfen_lines}, of which with a file letter: {self.xfen_with_letters}",
              file=out)
        print(f"perft time of these positions: {self.seconds:.1f} s", file=out)


def main():
    parser = argparse.ArgumentParser(description="Chess960 perft reference corpus from Stockfish.")
    parser.add_argument("--seed", type=int, default=960)
    parser.add_argument("--random960", type=int, default=80)
    parser.add_argument("--double960", type=int, default=80)
    parser.add_argument("--depth", type=int, default=5)
    parser.add_argument("--engine", default="/usr/games/stockfish")
    args = parser.parse_args()
    if args.depth < 4:
        parser.error("--depth must be at least 4")

    began = time.monotonic()
    check_numbering()
    rng = random.Random(args.seed)
    engine = Stockfish(args.engine)
    out = sys.stdout
    print(f"# Chess960 and Double Fischer Random perft reference, from {engine.name}", file=out)
    print(f"# (UCI_Chess960, one thread), made by tools/perft960-reference.py --seed {args.seed} "
          f"--random960 {args.random960} --double960 {args.double960} --depth {args.depth}", file=out)
    print("# Format: FEN ;D1 n ;D2 n ...  (leaf counts at each depth); lines with # are comments.",
          file=out)
    write_starts(engine, out)
    print(f"start positions done in {time.monotonic() - began:.1f} s", file=sys.stderr)
    stats = Stats()
    plan = plan_positions(args.random960, args.double960, rng)
    write_random_positions(engine, plan, args.depth, rng, out, stats)
    engine.close()
    stats.report(sys.stderr)
    print(f"total {time.monotonic() - began:.1f} s", file=sys.stderr)


if __name__ == "__main__":
    main()
