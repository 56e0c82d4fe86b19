#!/usr/bin/env bash
# Plays the console games in tools/pgn/games, asks the engine for "fen" and "pgn" at the end,
# reads the PGN back with chess.js (an independent reader, strict about SAN) and fails when
# the position it reaches is not the engine's, or when the console refused a line of a game.
# A game file is console input; a line "#fen FEN" is written to start.fen for "load start.fen",
# other lines starting with "#" are comments. Usage: tools/check-pgn.sh [engine]
set -euo pipefail
cd "$(dirname "$0")/.."
engine="$(realpath "${1:-build/release/morvelline}")"
reader=tools/pgn
if [ ! -d "$reader/node_modules/chess.js" ]; then
  (cd "$reader" && npm install --no-audit --no-fund --silent)
fi
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# The engine writes the en-passant square after every double step, chess.js only when a
# capture there is legal; every other field must agree exactly.
same_position() {
  local -a ours theirs
  read -r -a ours <<<"$1"
  read -r -a theirs <<<"$2"
  [ "${#ours[@]}" -eq 6 ] && [ "${#theirs[@]}" -eq 6 ] || return 1
  for field in 0 1 2 4 5; do
    [ "${ours[$field]}" = "${theirs[$field]}" ] || return 1
  done
  [ "${theirs[3]}" = "-" ] || [ "${ours[3]}" = "${theirs[3]}" ]
}

failures=0
games=0
for game in tools/pgn/games/*.txt; do
  name="$(basename "$game" .txt)"
  rm -rf "${work:?}"/*
  sed -n 's/^#fen //p' "$game" >"$work/start.fen"
  { grep -v '^#' "$game"; printf 'fen\npgn\nquit\n'; } >"$work/input"
  (cd "$work" && "$engine" <input >output)
  pgn="$(sed -n '/^\[Event /,$p' "$work/output" | grep -v "^Morvelline e' stato interrotto$")"
  fen="$(sed -n '/^\[Event /q;p' "$work/output" | grep -E '^[1-8pnbrqkPNBRQK/]+ [wb] ' | tail -n 1)"
  games=$((games + 1))
  if grep -qE '^(Illegal move|Error \()' "$work/output"; then
    echo "FAIL $name: the console refused a line:" >&2
    grep -E '^(Illegal move|Error \()' "$work/output" >&2
    failures=$((failures + 1))
    continue
  fi
  if ! read_back="$(node "$reader/final-fen.js" <<<"$pgn")"; then
    echo "FAIL $name: the PGN does not read back:" >&2
    echo "$pgn" >&2
    failures=$((failures + 1))
    continue
  fi
  if ! same_position "$fen" "$read_back"; then
    echo "FAIL $name: the PGN reads back to another position" >&2
    echo "  engine:   $fen" >&2
    echo "  chess.js: $read_back" >&2
    echo "$pgn" >&2
    failures=$((failures + 1))
    continue
  fi
  plies="$(grep -vE '^(\[|$)' <<<"$pgn" | tr ' ' '\n' | grep -cvE '^([0-9]+\.+|\*|1-0|0-1|1/2-1/2)$' || true)"
  echo "ok   $name: $plies plies read back to $read_back"
done
if [ "$failures" -ne 0 ]; then
  echo "check-pgn: $failures of $games games FAILED" >&2
  exit 1
fi
echo "check-pgn: all $games games read back to the engine's position"
