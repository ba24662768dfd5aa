#!/usr/bin/env bash
# Configures and builds one flavour: linux (tests with ASan/UBSan), windows (mingw-w64,
# tests under wine) or release (Linux, optimised: the programs and the benchmarks).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
flavour=${1:-linux}
build=${2:-$root/build/$flavour}
case "$flavour" in
  linux)   args=(-DCMAKE_BUILD_TYPE=Debug -DMERIDOX_SANITIZE=ON) ;;
  windows) args=(-DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake") ;;
  release) args=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DMERIDOX_TESTS=OFF) ;;
  *) echo "usage: build.sh linux|windows|release [builddir]" >&2; exit 2 ;;
esac
cmake -S "$root" -B "$build" -G Ninja "${args[@]}" >/dev/null
cmake --build "$build" -j "$(nproc)"
