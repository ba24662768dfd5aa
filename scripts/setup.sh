#!/usr/bin/env bash
# Installs what the build and the tests need on Debian; quick when all is there.
set -eu
need=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "ok installed"; }
for p in cmake ninja-build g++ googletest libgtest-dev libgmock-dev libbenchmark-dev clang clang-format \
         libclang-rt-14-dev g++-mingw-w64-x86-64-posix wine64 xvfb python3; do
  have "$p" || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
  echo "setup: installing ${need[*]}"
  SUDO=; [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi
