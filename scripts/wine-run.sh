#!/usr/bin/env bash
# Runs a Windows executable under wine, headless, with a wine prefix inside the build
# folder the executable belongs to, so nothing depends on the user's home.
set -u
exe=$1; shift
dir=$(cd "$(dirname "$exe")" && pwd)
build=$dir
while [ "$build" != / ] && [ ! -f "$build/CMakeCache.txt" ]; do build=$(dirname "$build"); done
[ "$build" = / ] && build=$dir
export WINEPREFIX=${MERIDOX_WINEPREFIX:-$build/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=$(command -v wine64 || command -v wine)
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  "$wine" wineboot -i >/dev/null 2>&1
  wineserver -w 2>/dev/null || true
fi
exec "$wine" "$exe" "$@"
