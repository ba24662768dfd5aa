#!/usr/bin/env bash
# The whole test run: set-up, format check, Linux build with sanitizers and its tests,
# Windows build and the same tests under wine.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/format-check.sh"
status=0
"$root/scripts/build.sh" linux
(cd "$root/build/linux" && ctest --output-on-failure -j 2) || status=1
"$root/scripts/build.sh" windows
export WINEPREFIX="$root/build/windows/wineprefix"
(cd "$root/build/windows" && ctest --output-on-failure -j 2) || status=1
wineserver -k 2>/dev/null || true
exit $status
