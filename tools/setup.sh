#!/usr/bin/env bash
# setup.sh - installs what the builds, tests and demo need on Debian 12
# (run as root; does nothing when everything is there) and prepares the
# project's own Wine prefix.  Sourced by demo.sh and test.sh.
set -euo pipefail

need=()
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
# python3-ezdxf checks the DXF reader and writer; fonts-ipafont-gothic
# draws the Japanese texts of the pictures; emscripten and nodejs build and
# run the WebAssembly host and engine.
for pkg in cmake ninja-build python3 g++ gcc-multilib g++-multilib googletest clang-14 libclang-rt-14-dev \
           g++-mingw-w64-i686-posix binutils-mingw-w64-i686 wine wine32:i386 \
           python3-ezdxf fonts-ipafont-gothic emscripten nodejs; do
  dpkg -s "$pkg" >/dev/null 2>&1 || need+=("$pkg")
done
if [ ${#need[@]} -gt 0 ]; then
  echo "setup: installing ${need[*]}"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

# Debian's emscripten runs its JavaScript tools with Node and finds their
# packages (acorn) only here.
export NODE_PATH="${NODE_PATH:-/usr/share/nodejs}"

# Wine: quiet, no Mono or Gecko prompts, a prefix of our own made once.
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPREFIX="${NEROLIT_WINEPREFIX:-$PWD/build/wine}"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  echo "setup: creating the Wine prefix $WINEPREFIX"
  wineboot --init >/dev/null 2>&1 || true
  wineserver -w
fi
