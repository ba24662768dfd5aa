#!/usr/bin/env bash
# Photographs the tray program's windows (main window, a settings check message, About,
# the end-of-day dialog) on a virtual display and saves them as PNG in docs/screenshots/.
# Uses the Windows build's window tests: scripts/screenshots.sh [builddir]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/windows}
[ -f "$build/CMakeCache.txt" ] || "$root/scripts/build.sh" windows "$build" >/dev/null
cmake --build "$build" --target test_app_win32 >/dev/null
exe=$build/tests/test_app_win32.exe
out=$root/docs/screenshots
shots=$(mktemp -d)
mkdir -p "$out"
export WINEPREFIX=$build/wineprefix-shots WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=$(command -v wine64 || command -v wine)
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  "$wine" wineboot -i >/dev/null 2>&1 || true
  wineserver -w 2>/dev/null || true
fi
# A wine desktop draws the window frames itself (there is no window manager here).
MERIDOX_SCREENSHOT_DIR="Z:${shots//\//\\}" xvfb-run -a -s "-screen 0 1024x720x24" \
  "$wine" explorer /desktop=shots,1000x680 "$exe" --gtest_also_run_disabled_tests \
  --gtest_filter='Screenshots.*' >/dev/null 2>&1 &
runner=$!
for _ in $(seq 1 120); do
  [ -f "$shots/done.txt" ] && break
  sleep 1
done
wineserver -k 2>/dev/null || true
wait "$runner" 2>/dev/null || true
status=0
for name in main_window settings_validation about end_of_day; do
  if [ -f "$shots/$name.bmp" ]; then
    convert "$shots/$name.bmp" "$out/$name.png"
    echo "screenshots: $out/$name.png"
  else
    echo "screenshots: $name was not taken" >&2
    status=1
  fi
done
rm -rf "$shots"
exit $status
