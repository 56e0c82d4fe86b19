#!/usr/bin/env bash
# Builds the engine alone (not the tests and benchmarks, which take most of a full
# build) and starts it beside its opening book (book.obk is read from the current directory).
set -euo pipefail
cd "$(dirname "$0")/.."
./tools/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release --target morvelline >/dev/null
exec ./build/release/morvelline
