#!/usr/bin/env bash
# Runs a Windows program that opens windows: under wine on a virtual X display of its own,
# with a wine prefix kept apart from the headless tests' one (a wine desktop started
# without a display would serve no windows). The prefix's wineserver ends with the run.
set -u
exe=$1; shift
dir=$(cd "$(dirname "$exe")" && pwd)
build=$dir
while [ "$build" != / ] && [ ! -f "$build/CMakeCache.txt" ]; do build=$(dirname "$build"); done
[ "$build" = / ] && build=$dir
export MERIDOX_WINEPREFIX=${MERIDOX_GUI_WINEPREFIX:-$build/wineprefix-gui}
here=$(cd "$(dirname "$0")" && pwd)
status=0
if [ -n "${DISPLAY:-}" ] && [ -n "${MERIDOX_GUI_KEEP_DISPLAY:-}" ]; then
  "$here/wine-run.sh" "$exe" "$@" || status=$?
else
  xvfb-run -a -s "-screen 0 1280x800x24" "$here/wine-run.sh" "$exe" "$@" || status=$?
fi
WINEPREFIX=$MERIDOX_WINEPREFIX wineserver -k 2>/dev/null || true
exit $status
