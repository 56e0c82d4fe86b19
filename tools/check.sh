#!/usr/bin/env bash
# Builds the engine, its tests and benchmarks in the release and the sanitizer
# configurations and runs every test in both; then reads the console's PGN back with
# an independent reader, and checks the README's and docs' links and commands.
set -euo pipefail
cd "$(dirname "$0")/.."
./tools/setup.sh check
for preset in release sanitize; do
  cmake --preset "$preset"
  cmake --build --preset "$preset"
  ctest --preset "$preset" -j2
done
./tools/check-pgn.sh build/release/morvelline
./tools/check-docs.sh build/release/morvelline
