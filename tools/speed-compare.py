#!/usr/bin/env python3
"""One thread of two builds side by side: the bench's nodes per second, a UCI session's, perft's
rate (console `perft` and UCI `go perft`), the time to `uciok` and the first search's time to
depth 1 against later searches'. The two binaries run in turn, the first of each round
alternating, so a machine that grows busier or quieter treats both alike; each figure is the
median of the runs, the ratio the median of the round-by-round ratios.

  tools/speed-compare.py OLD NEW [--runs 7] [--perft 6] [--only bench,uci,perft,startup]

The UCI session is one process, as an interface keeps it: `uci`, the book off, then for each
position `ucinewgame`, `position fen ...` and `go depth N`, waiting for `bestmove`. The wall clock
that seeds the keys is pinned (tools/pin-clock.c, built here and preloaded), so both builds walk
the same nodes: the script stops if any search's node count differs between them.
"""
import argparse
import os
import re
import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path

from uci_process import UciProcess

ROOT = Path(__file__).resolve().parent.parent

# A spread of phases, none of them the bench's: (FEN, depth).
SESSION = [
    ("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 8),
    ("r1bqk1nr/pppp1ppp/2n5/2b1p3/2B1P3/5N2/PPPP1PPP/RNBQK2R w KQkq - 4 4", 7),
    ("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1", 6),
    ("8/5pk1/6p1/3r3p/7P/4R1P1/5PK1/8 w - - 0 40", 10),
    ("r1bq1rk1/pp2nppp/2n1p3/2ppP3/3P4/P1PB1N2/2P2PPP/R1BQK2R w KQ - 1 9", 7),
]


def build_shim(directory):
    shim = Path(directory) / "pin-clock.so"
    subprocess.run(["cc", "-shared", "-fPIC", "-O2", "-o", str(shim), str(ROOT / "tools/pin-clock.c"), "-ldl"],
                   check=True)
    return shim


def uci_session(path, env):
    """Nodes per second over the session (last info line of each search), every search's node
    counts by depth, and the seconds from `go` to the first info line of each search."""
    engine = UciProcess(path, env)
    engine.send("uci")
    engine.wait_for("uciok")
    engine.send("setoption name OwnBook value false")
    nodes = milliseconds = 0
    trace, first_info = [], []
    for fen, depth in SESSION:
        engine.send("ucinewgame")
        engine.send(f"position fen {fen}")
        engine.send("isready")
        engine.wait_for("readyok")
        start = time.monotonic()
        engine.send(f"go depth {depth}")
        last, first = None, None
        for line in engine.process.stdout:
            if line.startswith("info depth"):
                first = first if first is not None else time.monotonic() - start
                last = line
                trace.append(re.sub(r" (time|nps|hashfull) \d+", "", line.rstrip("\n")))
            if line.startswith("bestmove"):
                trace.append(line.rstrip("\n"))
                break
        first_info.append(first)
        nodes += int(re.search(r" nodes (\d+)", last).group(1))
        milliseconds += int(re.search(r" time (\d+)", last).group(1))
    engine.close()
    return nodes * 1000 / max(milliseconds, 1), trace, first_info


def bench(path, env):
    out = subprocess.run([path, "bench"], capture_output=True, text=True, env=env).stdout
    match = re.search(r"(\d+) nodes (\d+) nps", out)
    return int(match.group(2)), int(match.group(1))


def console_perft(path, depth):
    out = subprocess.run([path], input=f"perft {depth}\nquit\n", capture_output=True, text=True).stdout
    match = re.search(r"(\d+) mosse in (\d+) millisecondi", out)
    return int(match.group(1)) * 1000 / max(int(match.group(2)), 1), int(match.group(1))


def uci_perft(path, depth):
    engine = UciProcess(path)
    engine.send("uci")
    engine.wait_for("uciok")
    engine.send("position startpos")
    engine.send("isready")
    engine.wait_for("readyok")
    start = time.monotonic()
    engine.send(f"go perft {depth}")
    lines = engine.wait_for("Nodes searched")
    seconds = time.monotonic() - start
    engine.close()
    return int(lines[-1].split()[-1]) / seconds, lines


def startup(path):
    """Milliseconds from launch to `uciok`."""
    start = time.monotonic()
    engine = UciProcess(path)
    engine.send("uci")
    engine.wait_for("uciok")
    elapsed = (time.monotonic() - start) * 1000
    engine.close()
    return elapsed


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("old")
    parser.add_argument("new")
    parser.add_argument("--runs", type=int, default=7)
    parser.add_argument("--perft", type=int, default=6)
    parser.add_argument("--only", default="bench,uci,perft,startup")
    args = parser.parse_args()
    wanted = set(args.only.split(","))
    binaries = {"old": args.old, "new": args.new}

    with tempfile.TemporaryDirectory() as directory:
        env = dict(os.environ, LD_PRELOAD=str(build_shim(directory)))
        figures = {}  # name -> {"old": [...], "new": [...]}
        checks = {}  # name -> {"old": value, "new": value}: what must agree between the builds

        def record(name, which, value):
            figures.setdefault(name, {"old": [], "new": []})[which].append(value)

        for run in range(args.runs):
            order = ("old", "new") if run % 2 == 0 else ("new", "old")
            for which in order:
                path = binaries[which]
                if "bench" in wanted:
                    rate, total = bench(path, env)
                    record("bench nodes per second", which, rate)
                    checks.setdefault("bench", {})[which] = total
                if "uci" in wanted:
                    rate, trace, first_info = uci_session(path, env)
                    record("UCI session nodes per second", which, rate)
                    record("first search, ms to depth 1", which, first_info[0] * 1000)
                    record("later searches, ms to depth 1 (median)", which,
                           statistics.median(first_info[1:]) * 1000)
                    checks.setdefault("uci", {})[which] = trace
                if "perft" in wanted:
                    rate, total = console_perft(path, args.perft)
                    record(f"console perft {args.perft}, moves per second", which, rate)
                    checks.setdefault("perft", {})[which] = total
                    rate, lines = uci_perft(path, args.perft)
                    record(f"go perft {args.perft}, moves per second", which, rate)
                    checks.setdefault("divide", {})[which] = lines
                if "startup" in wanted:
                    record("launch to uciok, ms (median of 5)", which,
                           statistics.median(startup(path) for _ in range(5)))
            for name, pair in checks.items():
                if pair.get("old") != pair.get("new"):
                    print(f"the builds differ in {name}: not the same nodes", file=sys.stderr)
                    return 1
            print(f"round {run + 1} of {args.runs} done", file=sys.stderr, flush=True)

    print(f"{'figure':44} {'old':>14} {'new':>14} {'ratio':>6}  (rounds' range)")
    for name, runs in figures.items():
        old, new = statistics.median(runs["old"]), statistics.median(runs["new"])
        ratios = [n / o for o, n in zip(runs["old"], runs["new"]) if o]
        print(f"{name:44} {old:14,.1f} {new:14,.1f} {statistics.median(ratios):6.3f}  "
              f"({min(ratios):.3f} to {max(ratios):.3f})")
    return 0


if __name__ == "__main__":
    sys.exit(main())
