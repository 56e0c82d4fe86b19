#!/usr/bin/env bash
# Plays Morvelline against another engine inside the real xboard (under a
# virtual X display when there is none), as a first-version xboard engine or,
# with --uci, as a UCI engine behind polyglot, and summarises the games.
#
#   tools/xboard-match.sh [options] [OUTPUT_DIR]
#     --games N          games in the match, colours alternating (default 10)
#     --tc MIN:SEC       time per period (default 0:20)
#     --mps N            moves per period (default 40)
#     --opponent CMD     opponent engine command (default fairymax, run by setarch -R)
#     --engine PATH      Morvelline binary (default build/release/morvelline, built first)
#     --dir DIR          directory the engines run in, where book.obk is read (default: the repository)
#     --uci              run Morvelline through polyglot as a UCI engine
#     --no-protover1     leave out -firstProtocolVersion 1 (xboard then sends protover 2)
#     --startup-wait     only measure xboard's wait between "xboard" and the next command,
#                        with and without -firstProtocolVersion 1, and exit
#
# OUTPUT_DIR (default: a new temporary directory) receives xboard.debug, games.pgn,
# xboard.out and, with --uci, polyglot.log. The engine runs in the repository root
# (or --dir), where its book.obk lives.
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
export PATH="$PATH:/usr/games"

games=10
tc=0:20
mps=40
# Debian's fairymax 5.0b crashes now and then (segmentation fault, seen in about
# half the starts) on the "computer" xboard sends before each game, depending on
# where address randomisation puts it; run without randomisation it has not.
opponent="setarch $(uname -m) -R /usr/games/fairymax"
engine=""
rundir="$repo"
uci=false
protover1=true
startup_wait=false
out=""
while [ $# -gt 0 ]; do
  case "$1" in
    --games) games="$2"; shift 2 ;;
    --tc) tc="$2"; shift 2 ;;
    --mps) mps="$2"; shift 2 ;;
    --opponent) opponent="$2"; shift 2 ;;
    --engine) engine="$2"; shift 2 ;;
    --dir) rundir="$(cd "$2" && pwd)"; shift 2 ;;
    --uci) uci=true; shift ;;
    --no-protover1) protover1=false; shift ;;
    --startup-wait) startup_wait=true; shift ;;
    -h|--help) sed -n '2,19p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    -*) echo "unknown option: $1" >&2; exit 2 ;;
    *) out="$1"; shift ;;
  esac
done

# The interface, the opponent, the adapter and the virtual display are Debian packages.
need=()
command -v xboard >/dev/null || need+=(xboard)
command -v fairymax >/dev/null || need+=(fairymax)
command -v polyglot >/dev/null || need+=(polyglot)
[ -n "${DISPLAY:-}" ] || command -v xvfb-run >/dev/null || need+=(xvfb xauth)
"$repo/tools/install-packages.sh" ${need[@]+"${need[@]}"}

if [ -z "$engine" ]; then
  (cd "$repo" && ./tools/setup.sh && cmake --preset release >/dev/null && cmake --build --preset release >/dev/null)
  engine="$repo/build/release/morvelline"
fi
engine="$(cd "$(dirname "$engine")" && pwd)/$(basename "$engine")"
[ -x "$engine" ] || { echo "no engine at $engine" >&2; exit 1; }

if [ -z "$out" ]; then out="$(mktemp -d /tmp/xboard-match.XXXXXX)"; fi
mkdir -p "$out"
out="$(cd "$out" && pwd)"

display_wrapper=()
[ -n "${DISPLAY:-}" ] || display_wrapper=(xvfb-run -a)

# xboard [extra options...]: one match, Morvelline first, exits when it is over.
# No ponder, flags called, no popups, no settings file touched, no terminal read.
run_xboard() {
  local debug="$1" pgn="$2" count="$3"
  shift 3
  local first=(-fcp "$engine" -fd "$rundir")
  if $uci; then
    first+=(-fUCI -adapterCommand "polyglot -noini -log true -lf '$out/polyglot.log' -ec \"%fcp\" -ed \"%fd\"")
  fi
  "${display_wrapper[@]}" xboard "${first[@]}" -scp "$opponent" -sd "$rundir" \
    -matchGames "$count" -tc "$tc" -mps "$mps" -xponder -autoCallFlag true -xbuttons \
    -debug -nameOfDebugFile "$debug" -saveGameFile "$pgn" \
    -popupExitMessage false -popupMoveErrors false -saveSettingsOnExit false \
    "$@" </dev/null >>"$out/xboard.out" 2>&1
}

# Milliseconds (xboard's own log clock) from "xboard" sent to the first engine
# to the next command sent to it that is not "protover".
startup_gap() {
  awk '
    / >first *: / {
      t = $1 + 0; line = $0; sub(/^[0-9]+ >first *: /, "", line)
      if (!seen && line == "xboard") { seen = 1; start = t; next }
      if (seen && line !~ /^protover/) { printf "%d ms (xboard at %d ms, then \"%s\" at %d ms)\n", t - start, start, line, t; exit }
    }' "$1"
}

if $startup_wait; then
  echo "start-up wait, one game each at $mps moves in $tc"
  run_xboard "$out/startup-v1.debug" "$out/startup-v1.pgn" 1 -firstProtocolVersion 1
  echo "  with -firstProtocolVersion 1:    $(startup_gap "$out/startup-v1.debug")"
  run_xboard "$out/startup-v2.debug" "$out/startup-v2.pgn" 1
  echo "  without -firstProtocolVersion 1: $(startup_gap "$out/startup-v2.debug")"
  exit 0
fi

extra=()
if ! $uci && $protover1; then extra+=(-firstProtocolVersion 1); fi
mode=xboard-v1
$uci && mode=uci-polyglot
$uci || $protover1 || mode=xboard-protover2
echo "Morvelline ($mode) v $opponent: $games games at $mps moves in $tc; output in $out"
started=$(date +%s)
status=0
run_xboard "$out/xboard.debug" "$out/games.pgn" "$games" "${extra[@]}" || status=$?
echo "xboard exited with status $status after $(( $(date +%s) - started )) s"

# One line per game: number, colours, result and the comment xboard gave the ending.
[ -f "$out/games.pgn" ] || { echo "no PGN written" >&2; exit 1; }
awk -v me=morvelline '
  function flush() {
    if (result == "") return
    n++
    side = (index(tolower(white), me) ? "white" : (index(tolower(black), me) ? "black" : "?"))
    score = "="
    if (result == "1-0") score = (side == "white" ? "win" : "loss")
    else if (result == "0-1") score = (side == "black" ? "win" : "loss")
    else if (result == "1/2-1/2") score = "draw"
    else score = "unfinished"
    tally[score]++
    printf "%2d  %-5s  %-30s %-30s %-7s %-5s %s\n", n, side, white, black, result, score, ending
    result = ""; ending = ""; white = ""; black = ""
  }
  /^\[Event / { flush() }
  /^\[White / { white = $0; sub(/^\[White "/, "", white); sub(/"\]$/, "", white) }
  /^\[Black / { black = $0; sub(/^\[Black "/, "", black); sub(/"\]$/, "", black) }
  /^\[Result / { result = $0; sub(/^\[Result "/, "", result); sub(/"\]$/, "", result) }
  !/^\[/ {
    line = $0
    while (match(line, /\{[^}]*\}/)) { ending = substr(line, RSTART + 1, RLENGTH - 2); line = substr(line, RSTART + RLENGTH) }
  }
  BEGIN { printf "%2s  %-5s  %-30s %-30s %-7s %-5s %s\n", "#", "us", "White", "Black", "Result", "score", "ending" }
  END {
    flush()
    printf "Morvelline: %d won, %d lost, %d drawn, %d unfinished of %d\n", tally["win"], tally["loss"], tally["draw"], tally["unfinished"], n
  }' "$out/games.pgn"
exit "$status"
