#!/usr/bin/env bash
# Builds the engine, its tests and benchmarks in the release and the sanitizer
# configurations and runs every test in both; the tests that search and count on several
# threads once more under the thread sanitizer; builds through the root Makefile, as OpenBench
# does, and checks it prints the release build's bench signature; then reads the console's PGN
# back with an independent reader, and checks the README's and docs' links and commands.
set -euo pipefail
cd "$(dirname "$0")/.."
./tools/setup.sh check
for preset in release sanitize tsan; do
  cmake --preset "$preset"
  cmake --build --preset "$preset"
  ctest --preset "$preset" -j2
done

# The Makefile compiles on its own, without CMake, so it could drift: its engine must count
# the nodes the tested release engine counts (the tests pin that figure). One more LTO
# build, about a minute and a half on two busy cores, most of it the whole-program link,
# which even an incremental rebuild repeats.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
make -j2 EXE="$scratch/morvelline" >"$scratch/make.log" 2>&1 || { cat "$scratch/make.log"; exit 1; }
expected=$(build/release/morvelline bench | tail -n 1 | grep -Eo '^[0-9]+ nodes')
made=$("$scratch/morvelline" bench | tail -n 1)
echo "Makefile build: $made (release build: $expected)"
[[ "$made" == "$expected "* ]] || { echo "the Makefile's engine differs from the release build" >&2; exit 1; }

./tools/check-pgn.sh build/release/morvelline
./tools/check-docs.sh build/release/morvelline
