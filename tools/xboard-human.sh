#!/usr/bin/env bash
# A person's game inside the real xboard, in xboard's default mode: the person plays White,
# Morvelline plays Black and must answer each move without "go". xboard is started with no
# protocol flag, so it opens with "protover 2" and gets the second version.
# This script is the person: it types White's moves into the board window with xdotool, as
# a person at the keyboard would, and takes a move pair back once with Ctrl-X ("Retract
# Move", which xboard sends as "remove"). White's moves come from a second Morvelline over
# UCI at depth 2, so they are legal and sensible; it also checks every Black reply.
#
#   tools/xboard-human.sh [--moves N] [--tc MIN:SEC] [--mps N] [OUTPUT_DIR]
#     --moves N     White moves to type before quitting (default 30)
#     --tc, --mps   xboard's clock (default 40 moves in 5 minutes)
#
# Runs under xvfb-run when there is no display. OUTPUT_DIR (default: a new temporary
# directory) receives xboard.debug (every line between xboard and the engine), game.pgn,
# board.png (the window at the end) and xboard.out.
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
export PATH="$PATH:/usr/games"

moves=30
tc=5
mps=40
out=""
while [ $# -gt 0 ]; do
  case "$1" in
    --moves) moves="$2"; shift 2 ;;
    --tc) tc="$2"; shift 2 ;;
    --mps) mps="$2"; shift 2 ;;
    -h|--help) sed -n '2,16p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    -*) echo "unknown option: $1" >&2; exit 2 ;;
    *) out="$1"; shift ;;
  esac
done

need=()
command -v xboard >/dev/null || need+=(xboard)
command -v xdotool >/dev/null || need+=(xdotool)
command -v import >/dev/null || need+=(imagemagick)
[ -n "${DISPLAY:-}" ] || command -v xvfb-run >/dev/null || need+=(xvfb xauth)
"$repo/tools/install-packages.sh" ${need[@]+"${need[@]}"}

if [ -z "$out" ]; then out="$(mktemp -d /tmp/xboard-human.XXXXXX)"; fi
mkdir -p "$out"
out="$(cd "$out" && pwd)"

# Without a display, run again inside a virtual one.
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" --moves "$moves" --tc "$tc" --mps "$mps" "$out"
fi

(cd "$repo" && ./tools/setup.sh && cmake --preset release >/dev/null && cmake --build --preset release >/dev/null)
engine="$repo/build/release/morvelline"
debug="$out/xboard.debug"
rm -f "$debug" "$out/game.pgn"

# The person's adviser: Morvelline over UCI in an empty directory (no book), depth 2.
oracle_dir="$(mktemp -d)"
xboard_pid=""
cleanup() {
  [ -n "$xboard_pid" ] && kill "$xboard_pid" 2>/dev/null || true
  [ -n "${ADVISER_PID:-}" ] && kill "$ADVISER_PID" 2>/dev/null || true
  rm -rf "$oracle_dir"
}
trap cleanup EXIT
coproc ADVISER { cd "$oracle_dir" && exec "$engine"; }
echo uci >&"${ADVISER[1]}"
while read -r -t 30 line <&"${ADVISER[0]}"; do [ "$line" = uciok ] && break; done

# advise MOVES...: the adviser's move after MOVES, or "none"; "illegal" when MOVES breaks the rules.
advise() {
  local reply verdict=""
  echo "position startpos moves $*" >&"${ADVISER[1]}"
  echo "go depth 2" >&"${ADVISER[1]}"
  while read -r -t 60 reply <&"${ADVISER[0]}"; do
    case "$reply" in
      "info string illegal move"*) verdict=illegal ;;
      bestmove*) break ;;
    esac
  done
  if [ -n "$verdict" ]; then echo illegal; return; fi
  reply="${reply#bestmove }"
  [ "$reply" = 0000 ] && reply=none
  echo "$reply"
}

xboard -fcp "$engine" -fd "$repo" -tc "$tc" -mps "$mps" -xponder \
  -debug -nameOfDebugFile "$debug" -saveGameFile "$out/game.pgn" \
  -popupExitMessage false -popupMoveErrors false -saveSettingsOnExit false \
  </dev/null >"$out/xboard.out" 2>&1 &
xboard_pid=$!
window="$(xdotool search --sync --onlyvisible --class xboard | head -1)"

# engine_replies: how many "move" lines the engine has sent so far.
engine_replies() { grep -c '<first *: move ' "$debug" 2>/dev/null || true; }
# wait_for PATTERN SECONDS: true once the debug log holds PATTERN.
wait_for() {
  local waited=0
  until grep -q -- "$1" "$debug" 2>/dev/null; do
    sleep 0.2
    waited=$((waited + 1))
    [ $waited -lt $(($2 * 5)) ] || return 1
  done
}
type_move() {
  xdotool windowfocus --sync "$window" 2>/dev/null || true
  xdotool type --delay 80 "$1"
  sleep 0.3
  xdotool key Return
}

wait_for '>first *: new' 30 || { echo "xboard never started the engine" >&2; exit 1; }
sleep 1
played=()
typed=0
replies=0
took_back=false
ending="move limit"
for ((turn = 1; turn <= moves; turn++)); do
  white="$(advise "${played[@]}")"
  [ "$white" = none ] && { ending="White has no move"; break; }
  type_move "$white"
  typed=$((typed + 1))
  if ! wait_for ">first *: $white" 20; then ending="xboard did not take $white"; break; fi
  played+=("$white")
  # Black's answer must come by itself: no "go" is sent in this mode.
  until [ "$(engine_replies)" -gt "$replies" ]; do
    sleep 0.2
    if grep -q '^[0-9]* *<first *: resign\|result' "$debug"; then break 2; fi
  done
  replies=$((replies + 1))
  black="$(grep '<first *: move ' "$debug" | tail -1 | sed 's/.*move  *\([a-h][1-8][a-h][1-8][qrbn]\{0,1\}\).*/\1/')"
  if [ "$(advise "${played[@]}" "$black")" = illegal ]; then ending="illegal engine move $black"; break; fi
  played+=("$black")
  if [ "$turn" -eq 6 ] && ! $took_back; then
    # The person changes their mind: Retract Move takes back their move and the engine's.
    sleep 0.5
    xdotool key --window "$window" ctrl+x 2>/dev/null || xdotool key ctrl+x
    if wait_for '>first *: remove' 10; then
      took_back=true
      unset 'played[-1]' 'played[-1]'
    fi
  fi
done

import -window root "$out/board.png" 2>/dev/null || true
xdotool key ctrl+q 2>/dev/null || true
for _ in $(seq 50); do kill -0 "$xboard_pid" 2>/dev/null || break; sleep 0.2; done
kill "$xboard_pid" 2>/dev/null || true
xboard_pid=""

echo "moves: ${played[*]}"
echo "White moves typed: $typed, Black replies: $replies, take-back sent as remove: $took_back, ended by: $ending"
echo "go sent to the engine: $(grep -c '>first *: go' "$debug" || true) times"
echo "Black's think times (ms from White's move to the reply):"
awk '/>first *: [a-h][1-8][a-h][1-8]/ { sent = $1 } /<first *: move / { if (sent) printf " %d", $1 - sent; sent = 0 } END { print "" }' "$debug"
echo "errors or illegal moves reported by the engine: $(grep -c '<first *: \(Error\|Illegal\)' "$debug" || true)"
echo "output in $out"
