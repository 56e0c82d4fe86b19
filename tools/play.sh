#!/usr/bin/env bash
# Builds the engine and starts it beside its opening book (book.obk is read
# from the current directory).
set -euo pipefail
cd "$(dirname "$0")/.."
./tools/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release >/dev/null
exec ./build/release/morvelline
