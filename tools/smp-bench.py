#!/usr/bin/env python3
"""Threads against one thread, on the bench positions: time to reach a fixed depth (median of
the per-position ratios), search speed (nodes per second of all threads together) and perft.

Runs alternate between the thread counts, so a machine that grows busier or quieter treats both
alike; each search starts in a fresh process, so no table is carried from one run to the next.

  tools/smp-bench.py [--engine PATH] [--threads 2] [--depth 10] [--rounds 2] [--perft 6]
"""
import argparse
import re
import statistics
import sys
import time
from pathlib import Path

from uci_process import UciProcess

ROOT = Path(__file__).resolve().parent.parent


def bench_positions():
    source = (ROOT / "src/frontend/benchmark.cpp").read_text()
    block = source[source.index("SEARCH_POSITIONS[]"):]
    block = block[: block.index("};")]
    return re.findall(r'"([^"]+)"', block)


class Engine(UciProcess):
    def __init__(self, path, threads):
        super().__init__(path)
        self.send("uci")
        self.wait_for("uciok")
        for option in (f"Threads value {threads}", "OwnBook value false"):
            self.send(f"setoption name {option}")
        self.send("isready")
        self.wait_for("readyok")


def search(path, threads, fen, depth):
    """Seconds to the end of the depth-`depth` iteration, and the nodes reported there."""
    engine = Engine(path, threads)
    engine.send(f"position fen {fen} 0 1")
    start = time.monotonic()
    engine.send(f"go depth {depth}")
    seconds, nodes = None, None
    for line in engine.process.stdout:
        if line.startswith(f"info depth {depth} ") and seconds is None:
            seconds = time.monotonic() - start
            nodes = int(re.search(r" nodes (\d+)", line).group(1))
        if line.startswith("bestmove"):
            break
    engine.close()
    if seconds is None:  # a mate ended the search early: the whole search counts
        seconds = time.monotonic() - start
    return seconds, nodes


def perft(path, threads, depth):
    engine = Engine(path, threads)
    engine.send("position startpos")
    start = time.monotonic()
    engine.send(f"go perft {depth}")
    total = int(engine.wait_for("Nodes searched")[-1].split()[-1])
    seconds = time.monotonic() - start
    engine.close()
    return seconds, total


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--engine", default=str(ROOT / "build/release/morvelline"))
    parser.add_argument("--threads", type=int, default=2)
    parser.add_argument("--depth", type=int, default=10)
    parser.add_argument("--rounds", type=int, default=2)
    parser.add_argument("--perft", type=int, default=6)
    args = parser.parse_args()
    counts = (1, args.threads)

    ratios, speeds = [], {count: [] for count in counts}
    for index, fen in enumerate(bench_positions()):
        times = {count: [] for count in counts}
        for round_number in range(args.rounds):
            order = counts if round_number % 2 == 0 else tuple(reversed(counts))
            for count in order:
                seconds, nodes = search(args.engine, count, fen, args.depth)
                times[count].append(seconds)
                if nodes:
                    speeds[count].append(nodes / seconds)
        one, many = statistics.median(times[1]), statistics.median(times[args.threads])
        ratios.append(one / many)
        print(f"{index + 1:2} depth {args.depth}: 1 thread {one:7.2f} s, {args.threads} threads {many:7.2f} s, "
              f"{one / many:5.2f}x  {fen}", flush=True)
    print(f"time to depth {args.depth}: median ratio {statistics.median(ratios):.2f}x "
          f"(per position {min(ratios):.2f}x to {max(ratios):.2f}x)")
    nps = {count: statistics.median(speeds[count]) for count in counts}
    print(f"nodes per second, median over the searches: 1 thread {nps[1]:,.0f}, {args.threads} threads "
          f"{nps[args.threads]:,.0f}, {nps[args.threads] / nps[1]:.2f}x")

    if args.perft > 0:
        runs = {count: [] for count in counts}
        for round_number in range(args.rounds):
            order = counts if round_number % 2 == 0 else tuple(reversed(counts))
            for count in order:
                seconds, total = perft(args.engine, count, args.perft)
                runs[count].append(seconds)
        one, many = statistics.median(runs[1]), statistics.median(runs[args.threads])
        print(f"perft {args.perft} from the start ({total} leaves): 1 thread {one:.2f} s, "
              f"{args.threads} threads {many:.2f} s, {one / many:.2f}x")
    return 0


if __name__ == "__main__":
    sys.exit(main())
