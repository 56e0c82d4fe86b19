#!/usr/bin/env bash
# Checks the README and docs/: every relative link names a file that exists (anchors are
# not checked), every script or program path the README's code blocks run exists and is
# executable, and every console command the README's console example types is one the
# engine's "help" lists. Usage: tools/check-docs.sh [engine]
set -euo pipefail
cd "$(dirname "$0")/.."
engine="${1:-build/release/morvelline}"
failures=0
fail() {
  echo "FAIL $*" >&2
  failures=$((failures + 1))
}

# Links: [text](target) outside code spans, relative targets only.
for page in README.md docs/*.md; do
  dir="$(dirname "$page")"
  while IFS= read -r target; do
    target="${target%%#*}"
    case "$target" in "" | http://* | https://* | mailto:*) continue ;; esac
    [ -e "$dir/$target" ] || fail "$page: the link to $target names no file"
  done < <(sed 's/`[^`]*`//g' "$page" | grep -oE '\]\([^) ]+\)' | sed -E 's/^\]\((.*)\)$/\1/')
done

# Commands in the README's code blocks: lines starting with ./tools/, tools/ or build/ (after
# an optional "$ " prompt) name a file that must exist and be executable once built.
in_block=0
while IFS= read -r line; do
  case "$line" in '```'*) in_block=$((1 - in_block)); continue ;; esac
  [ "$in_block" -eq 1 ] || continue
  command="${line#\$ }"
  path="${command%% *}"
  case "$path" in ./tools/* | tools/* | build/*) ;; *) continue ;; esac
  [ -x "$path" ] || fail "README.md: $path, shown as a command, is not an executable file"
done <README.md

# The console example: the block that starts with "$ ./tools/play.sh". Its lines are the
# engine's answers (recognised by their form) or typed lines; the typed lines are played in
# order in the repository root, where the book answers, and each must be a command "help"
# lists or a move the engine takes: no "Error" and no "Illegal move" may come back.
answer_form='^(move |Depth:|Value: |Hashvalue: |Error |Illegal move|Mate in |I lose in |Checkmate|Stalemate|Draw by|Morvelline e|\[|[0-9]+\.|[0-9]+ mosse|[1-8pnbrqkPNBRQK/]+ [wb] |$| )'
help="$(printf 'help\n' | "$engine")"
typed=()
in_example=0
while IFS= read -r line; do
  case "$line" in
    '$ ./tools/play.sh') in_example=1; continue ;;
    '```'*) in_example=0; continue ;;
  esac
  [ "$in_example" -eq 1 ] || continue
  grep -qE "$answer_form" <<<"$line" && continue
  typed+=("$line")
done <README.md
[ "${#typed[@]}" -gt 0 ] || fail "README.md: no console example typed after \$ ./tools/play.sh"
for index in "${!typed[@]}"; do
  word="${typed[$index]%% *}"
  grep -qE "^${word}[ ,]" <<<"$help" && continue
  # Not a command: played after the lines before it, it must be taken as a move.
  # (At depth 1, so that a move out of the book is answered at once.)
  replies="$(printf 'sd 1\n%s\n' "${typed[@]:0:$((index + 1))}" | "$engine")"
  if grep -qE "^(Error \(|Illegal move: )" <<<"$replies"; then
    fail "README.md: the console example types '$word', which the engine refuses: $(grep -E '^(Error|Illegal)' <<<"$replies" | head -n 1)"
    break  # the lines after it would meet the same refusal
  fi
done

if [ "$failures" -ne 0 ]; then
  echo "check-docs: $failures problems" >&2
  exit 1
fi
echo "check-docs: links and commands of README.md and docs/ are sound"
