#!/usr/bin/env bash
# The main job: set-up, an optimised build, then the bridge's demo against the built-in
# ECR simulator.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" release
if [ -x "$root/build/release/bin/meridox" ]; then
  exec "$root/build/release/bin/meridox" demo "$@"
fi
echo "main: the bridge program is not built yet" >&2
exit 1
