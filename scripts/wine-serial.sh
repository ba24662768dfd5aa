#!/usr/bin/env bash
# Runs the serial-line tests of the Windows build under wine against a Linux ecrsim on a
# pty: the pty slave appears to wine as COM7 through a symlink in the prefix.
# usage: scripts/wine-serial.sh <linux build dir (has bin/ecrsim)> <windows build dir>
set -u
linux=$1
windows=$2
root=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=${MERIDOX_WINEPREFIX:-$windows/wineprefix}
out=$(mktemp)
"$linux/bin/ecrsim" --pty --baud 57600 --quiet >"$out" 2>&1 &
sim=$!
slave=""
for _ in $(seq 50); do
  slave=$(sed -n 's/^ecrsim: serial line at \([^,]*\),.*/\1/p' "$out")
  [ -n "$slave" ] && break
  sleep 0.1
done
if [ -z "$slave" ]; then
  echo "ecrsim did not report its pty:" >&2
  cat "$out" >&2
  kill "$sim" 2>/dev/null
  exit 1
fi
# The prefix exists once wine has run in it.
[ -f "$WINEPREFIX/system.reg" ] || "$root/scripts/wine-run.sh" "$windows/tests/test_link.exe" --gtest_list_tests >/dev/null 2>&1
mkdir -p "$WINEPREFIX/dosdevices"
ln -sfn "$slave" "$WINEPREFIX/dosdevices/com7"
MERIDOX_TEST_COM=COM7 "$root/scripts/wine-run.sh" "$windows/tests/test_link.exe" \
  --gtest_filter='ExternalSerialLine.*' --gtest_color=no
rc=$?
kill "$sim" 2>/dev/null
wait "$sim" 2>/dev/null
rm -f "$WINEPREFIX/dosdevices/com7" "$out"
wineserver -k 2>/dev/null || true
exit $rc
