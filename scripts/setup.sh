#!/usr/bin/env bash
# Installs what the build and the tests need on Debian; quick when all is there.
set -eu
need=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "ok installed"; }
for p in cmake ninja-build g++ googletest libgtest-dev libgmock-dev libbenchmark-dev clang clang-format \
         libclang-rt-14-dev g++-mingw-w64-x86-64-posix wine64 xvfb python3 locales imagemagick; do
  have "$p" || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
  echo "setup: installing ${need[*]}"
  SUDO=; [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi
# Wine takes the Windows ANSI code page from the locale: the settings and log tests run once
# more in the Greek one (code page 1253), which wine needs generated to name files.
if ! locale -a 2>/dev/null | grep -qx 'el_GR.utf8'; then
  echo "setup: generating the el_GR.UTF-8 locale"
  SUDO=; [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO localedef -i el_GR -c -f UTF-8 el_GR.UTF-8
fi
