#!/usr/bin/env bash
# build.sh PRESET... - configures (once) and builds the given presets.
set -euo pipefail
for preset in "$@"; do
  if [ ! -f "build/$preset/build.ninja" ]; then
    cmake --preset "$preset" >/dev/null
  fi
  cmake --build --preset "$preset"
done
