#!/usr/bin/env bash
# Measures one playing level in a fastchess match at 10+0.1 from the book's eight-ply starts:
#   tools/calibrate.sh LEVEL sf ELO       against Stockfish limited to ELO (1350 at least)
#   tools/calibrate.sh LEVEL level ELO    against Morvelline at another level
#   tools/calibrate.sh full sf ELO        Morvelline at full strength
# Options (before the level): --games N (default 40), --engine PATH (default build/release/morvelline).
# Morvelline's book is off; games go to build/calibration/LEVEL-OPPONENT.pgn, fastchess's output to .log.
set -euo pipefail
cd "$(dirname "$0")/.."
games=40
engine=build/release/morvelline
while [ $# -gt 3 ]; do
  case "$1" in
    --games) games=$2; shift 2 ;;
    --engine) engine=$2; shift 2 ;;
    *) echo "unknown option $1" >&2; exit 2 ;;
  esac
done
[ $# -eq 3 ] || { sed -n '2,8p' "$0" >&2; exit 2; }
level=$1 kind=$2 elo=$3
fastchess=${FASTCHESS:-../shared/tools/fastchess}
out=build/calibration
mkdir -p "$out"
[ -s "$out/openings8.epd" ] || build/release/makebook --openings tools/book_lines.txt 8 > "$out/openings8.epd"

limited() {  # name, level: the options that set Morvelline to that level
  if [ "$2" = full ]; then echo "name=$1 option.OwnBook=false"
  else echo "name=$1 option.OwnBook=false option.UCI_LimitStrength=true option.UCI_Elo=$2"; fi
}
case "$kind" in
  sf) opponent="cmd=/usr/games/stockfish name=sf$elo option.UCI_LimitStrength=true option.UCI_Elo=$elo option.Hash=16" ;;
  level) opponent="cmd=$engine $(limited "m$elo" "$elo")" ;;
  *) echo "opponent kind must be sf or level" >&2; exit 2 ;;
esac
tag="$level-$kind$elo"
# shellcheck disable=SC2086  # the option lists are words on purpose
"$fastchess" -engine cmd="$engine" $(limited "m$level" "$level") -engine $opponent \
  -each tc=10+0.1 -openings file="$out/openings8.epd" format=epd order=random \
  -rounds $((games / 2)) -games 2 -repeat -concurrency 2 -recover -pgnout file="$out/$tag.pgn" \
  | tee "$out/$tag.log" | grep -E '^(Finished game|Results|Elo|Games|Warning; .* from m)' || true
