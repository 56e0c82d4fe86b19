#!/usr/bin/env bash
# Builds the engine, its tests and benchmarks in the release and the sanitizer
# configurations and runs every test in both; then the tests that search and count on
# several threads once more under the thread sanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
./tools/setup.sh
for preset in release sanitize tsan; do
  cmake --preset "$preset"
  cmake --build --preset "$preset"
  ctest --preset "$preset" -j2
done
