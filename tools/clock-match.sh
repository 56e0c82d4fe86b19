#!/usr/bin/env bash
# Plays Morvelline against another build of it (by default the one at 83c1774, before the soft and
# hard limits), both on one thread with the book off, one game at a time, from the book's eight-ply
# starts (each with both colours), adjudicated as tools/smp-match.sh does:
#   tools/clock-match.sh --tc TC [--games N] [--sprt] [--engine PATH] [--base PATH] [--out DIR]
# TC is fastchess's: 10+0.1, 40/20, 1+0.01. --sprt runs a sequential test (elo0=0 elo1=10) for at
# most N games. Games go to DIR/NAME.pgn, fastchess's output to DIR/NAME.log (DIR: build/clock).
set -euo pipefail
cd "$(dirname "$0")/.."
games=400
tc=
sprt=()
engine=build/release/morvelline
base=../baseline/morvelline-83c1774
out=build/clock
while [ $# -gt 0 ]; do
  case "$1" in
    --tc) tc=$2; shift 2 ;;
    --games) games=$2; shift 2 ;;
    --sprt) sprt=(-sprt elo0=0 elo1=10 alpha=0.05 beta=0.05); shift ;;
    --engine) engine=$2; shift 2 ;;
    --base) base=$2; shift 2 ;;
    --out) out=$2; shift 2 ;;
    *) sed -n '2,8p' "$0" >&2; exit 2 ;;
  esac
done
[ -n "$tc" ] || { sed -n '2,8p' "$0" >&2; exit 2; }
fastchess=${FASTCHESS:-../shared/tools/fastchess}
mkdir -p "$out"
[ -s "$out/openings8.epd" ] || build/release/makebook --openings tools/book_lines.txt 8 > "$out/openings8.epd"
name="clock-$(echo "$tc" | tr '/+' '__')"
"$fastchess" -engine cmd="$engine" name=clock option.Threads=1 option.OwnBook=false \
  -engine cmd="$base" name=base option.Threads=1 option.OwnBook=false \
  -each tc="$tc" -draw movenumber=40 movecount=8 score=10 -resign movecount=3 score=600 twosided=true \
  -openings file="$out/openings8.epd" format=epd order=random \
  -rounds $((games / 2)) -games 2 -repeat -concurrency 1 -recover "${sprt[@]}" -pgnout file="$out/$name.pgn" \
  | tee "$out/$name.log" | grep -E '^(Finished game|Results|Elo|Games|Warning|SPRT)' || true
