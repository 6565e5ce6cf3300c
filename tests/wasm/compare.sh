#!/usr/bin/env bash
# compare.sh NATIVE_BUILD WASM_BUILD - nerolit-host.js under Node against the
# 32-bit Linux build: every session, as tests/compare-sessions.sh compares
# them (exit status, standard error, figure lists, settings, pictures,
# summary line, traces to 12 significant digits).  Run from the tree's top.
set -uo pipefail
export NODE_PATH="${NODE_PATH:-/usr/share/nodejs}"
exec "$(dirname "$0")/../compare-sessions.sh" "$2/compare" native "$1/nerolit-host" wasm "node $2/nerolit-host.js"
