#!/usr/bin/env bash
# Builds the libFuzzer targets (the "fuzz" preset: clang, address and
# undefined-behaviour sanitizers) and runs each one for SECONDS seconds from
# its seed corpus in fuzz/corpus/. Fails when any target crashes, hangs on one
# input, runs out of memory or breaks an invariant; the input that did it is
# kept under build/fuzz/artifacts/<target>/.
set -euo pipefail
seconds="${1:-}"
if ! [[ "$seconds" =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: tools/fuzz.sh SECONDS" >&2
  exit 2
fi
cd "$(dirname "$0")/.."
./tools/setup.sh fuzz
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j 2

targets=(console protocol uci movetext position book)
# The working corpus and the scratch files live outside the repository.
work="$(mktemp -d "${TMPDIR:-/tmp}/morvelline-fuzz.XXXXXX")"
scratch=""
trap 'rm -rf "$work" ${scratch:+"$scratch"}' EXIT
# The position and book targets write their input to a file for every run:
# on a disk that costs milliseconds, in memory microseconds.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then
  scratch="$(mktemp -d /dev/shm/morvelline-fuzz.XXXXXX)"
else
  scratch="$work/scratch"
  mkdir -p "$scratch"
fi
saved="build/fuzz/artifacts"
failed=()
for target in "${targets[@]}"; do
  mkdir -p "$work/$target/corpus" "$work/$target/artifacts"
  log="$work/$target.log"
  status=0
  # -close_fd_mask=1 sends the engine's own output to /dev/null; libFuzzer reports on stderr.
  TMPDIR="$scratch" "build/fuzz/fuzz/fuzz_$target" "$work/$target/corpus" "fuzz/corpus/$target" \
    -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 -close_fd_mask=1 \
    -print_final_stats=1 -artifact_prefix="$work/$target/artifacts/" \
    </dev/null >"$log" 2>&1 || status=$?
  summary="$(grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -n 1 || true)"
  if [ "$status" -eq 0 ] && [ -n "$summary" ]; then
    echo "fuzz_$target: ok: $summary"
  else
    failed+=("$target")
    echo "fuzz_$target: FAILED (exit $status); the end of its log:"
    tail -n 60 "$log"
    mkdir -p "$saved/$target"
    cp -p "$work/$target/artifacts/"* "$saved/$target/" 2>/dev/null || true
    echo "fuzz_$target: inputs kept in $saved/$target/ (rerun one with build/fuzz/fuzz/fuzz_$target FILE)"
  fi
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzzing failed: ${failed[*]}"
  exit 1
fi
echo "fuzzing passed: ${#targets[@]} targets, ${seconds} s each"
