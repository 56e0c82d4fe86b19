#!/usr/bin/env bash
# Plays Morvelline on several threads against itself on one, at 10+0.1 from the book's
# eight-ply starts (each with both colours), book off, one game at a time; games are adjudicated
# as testing frameworks do (a draw after move 40 when both sides see 0.10 or less for 8 moves,
# a loss when both see 6.00 or more against one side for 3):
#   tools/smp-match.sh [--games N] [--threads T] [--engine PATH]
# Games go to build/smp/THREADSvs1.pgn, fastchess's output to build/smp/THREADSvs1.log.
set -euo pipefail
cd "$(dirname "$0")/.."
games=200
threads=2
engine=build/release/morvelline
while [ $# -gt 0 ]; do
  case "$1" in
    --games) games=$2; shift 2 ;;
    --threads) threads=$2; shift 2 ;;
    --engine) engine=$2; shift 2 ;;
    *) sed -n '2,6p' "$0" >&2; exit 2 ;;
  esac
done
fastchess=${FASTCHESS:-../shared/tools/fastchess}
out=build/smp
mkdir -p "$out"
[ -s "$out/openings8.epd" ] || build/release/makebook --openings tools/book_lines.txt 8 > "$out/openings8.epd"
tag="${threads}vs1"
"$fastchess" -engine cmd="$engine" name="t$threads" option.Threads="$threads" option.OwnBook=false \
  -engine cmd="$engine" name=t1 option.Threads=1 option.OwnBook=false \
  -each tc=10+0.1 -draw movenumber=40 movecount=8 score=10 -resign movecount=3 score=600 twosided=true \
  -openings file="$out/openings8.epd" format=epd order=random \
  -rounds $((games / 2)) -games 2 -repeat -concurrency 1 -recover -pgnout file="$out/$tag.pgn" \
  | tee "$out/$tag.log" | grep -E '^(Finished game|Results|Elo|Games|Warning)' || true
