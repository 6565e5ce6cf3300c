#!/usr/bin/env bash
# run.sh [--quick] - the hatch benchmark: installs GEOS for the comparison
# (Debian's libgeos-dev:i386; the product and the tests never need it),
# builds the benchmark in the native build (-O2) and runs it.  --quick leaves
# out the regions of 8,192 edges.
set -euo pipefail
cd "$(dirname "$0")/.."
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
if ! dpkg -s libgeos-dev:i386 >/dev/null 2>&1; then
  echo "run.sh: installing libgeos-dev:i386 for the comparison"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends libgeos-dev:i386 >/dev/null
fi
cmake --preset native >/dev/null   # (again) so that GEOS is found
cmake --build --preset native --target hatch_bench
echo "machine: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(nproc) cores; build: native (32-bit, -O2)"
build/native/bench/hatch_bench "$@"

# The stretch: the module against its straightforward linked-text pass.
cmake --build --preset native --target param_bench
build/native/bench/param_bench "$@"

# --- The hooks' cost per mouse event (hook_bench): natively, and side by
# side under Wine with the real Nerolit.dll when the Windows build and a Wine
# prefix are there (tools/setup.sh makes both).
cmake --build --preset native --target hook_bench
hook_args=()
[ "${1:-}" = --quick ] && hook_args+=(--quick)
export WINEPREFIX="${NEROLIT_WINEPREFIX:-$PWD/build/wine}" WINEDEBUG=-all
if command -v wine >/dev/null && command -v i686-w64-mingw32-g++-posix >/dev/null && [ -f "$WINEPREFIX/system.reg" ]; then
  [ -f build/windows/build.ninja ] || cmake --preset windows >/dev/null
  cmake --build --preset windows --target Nerolit hook_bench
  hook_args+=(--wine build/windows)
else
  echo "run.sh: no Windows build or Wine prefix: the hooks natively only"
fi
echo
build/native/bench/hook_bench "${hook_args[@]}"
