#!/usr/bin/env bash
# Installs the Debian packages a fresh machine lacks for building (with "check",
# also Node.js and npm for the PGN read-back; with "fuzz", also what the libFuzzer
# targets need). Does nothing when all are present. In a git work tree it also turns on
# tools/hooks, which ends each commit message with its Bench line.
set -euo pipefail
cd "$(dirname "$0")/.."
# Only this project's own work tree, never a repository that merely contains an unpacked copy.
if [ "$(git rev-parse --show-toplevel 2>/dev/null)" = "$(pwd -P)" ]; then
  hooks=$(git config --get core.hooksPath || true)
  if [ -z "$hooks" ]; then
    git config core.hooksPath tools/hooks
  elif [ "$hooks" != tools/hooks ]; then
    echo "setup.sh: core.hooksPath is already $hooks; tools/hooks/commit-msg not turned on" >&2
  fi
fi
packages=()
command -v cmake >/dev/null || packages+=(cmake)
command -v ninja >/dev/null || packages+=(ninja-build)
command -v g++ >/dev/null || packages+=(g++)
[ -f /usr/include/gtest/gtest.h ] || packages+=(libgtest-dev googletest)
if [ "${1:-}" = check ]; then
  command -v node >/dev/null || packages+=(nodejs)
  command -v npm >/dev/null || packages+=(npm)
fi
if [ "${1:-}" = fuzz ]; then
  command -v clang++ >/dev/null || packages+=(clang)
  compgen -G "/usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a" >/dev/null ||
    packages+=(libclang-rt-14-dev)
fi
[ ${#packages[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq "${packages[@]}" >/dev/null
