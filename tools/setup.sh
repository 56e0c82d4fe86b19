#!/usr/bin/env bash
# Installs the Debian packages a fresh machine lacks for building (with "check",
# also Node.js and npm for the PGN read-back; with "fuzz", also what the libFuzzer
# targets need). Does nothing when all are present.
set -euo pipefail
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
