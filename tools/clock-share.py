#!/usr/bin/env python3
"""How much of each timed think goes to iterations that finished.

    tools/clock-share.py ENGINE POSITIONS "wtime 10000 btime 10000 winc 100 binc 100"

Each position (one FEN a line; tools/clock-positions.fen holds 24 middle-game positions) is searched
once in a new game, book off, one thread. Per position: the wall time from "go" to "bestmove", and
the time and depth of the last pv line; then the means. The share is the last pv line's time over the
think. It is exact with a measuring copy of the engine that prints finished iterations only (one
whose reportMoveToPlay returns at once: docs/clock.md says how to build one); with the engine as it
is, a think cut after its iteration found a new best move prints one more line, counted as finished.
"""
import subprocess
import sys
import time

engine, positions, clock = sys.argv[1], sys.argv[2], sys.argv[3]
child = subprocess.Popen([engine], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True, bufsize=1)


def send(line):
    child.stdin.write(line + "\n")
    child.stdin.flush()


def read_until(prefix, seen=None):
    for line in child.stdout:
        if seen is not None:
            seen.append(line.strip())
        if line.startswith(prefix):
            return line.strip()
    sys.exit("the engine ended")


send("uci")
read_until("uciok")
send("setoption name OwnBook value false")
send("setoption name Threads value 1")
thinks, shares, depths = [], [], []
for fen in [line.strip() for line in open(positions) if line.strip()]:
    send("ucinewgame")
    send("position fen " + fen)
    send("isready")
    read_until("readyok")
    seen = []
    start = time.time()
    send("go " + clock)
    read_until("bestmove", seen)
    think = (time.time() - start) * 1000
    lines = [line.split() for line in seen if line.startswith("info depth") and " pv " in line]
    last_time = int(lines[-1][lines[-1].index("time") + 1]) if lines else 0
    last_depth = int(lines[-1][2]) if lines else 0
    thinks.append(think)
    shares.append(last_time / think if think > 0 else 0)
    depths.append(last_depth)
    print("%7.0f ms  last line %6d ms depth %2d  %s" % (think, last_time, last_depth, fen))
send("quit")
count = len(thinks)
print("mean think %.0f ms, finished share %.1f%%, depth %.2f (%d positions, %s)"
      % (sum(thinks) / count, 100 * sum(shares) / count, sum(depths) / count, count, clock))
