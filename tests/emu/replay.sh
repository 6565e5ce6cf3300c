#!/usr/bin/env bash
# replay.sh NATIVE_BUILD EMU_BUILD [DLL] - the session fuzzer's regression
# inputs (tests/fuzz/regressions) written down as plain files by the native
# build's nerolit-fuzz-replay and played through the real DLL by the
# emulated runner: each must end as it ended in process, with the same
# drawing (tests/fuzz/replay-sessions.sh decides).  Run from the tree's top.
set -uo pipefail
native="$1" emu="$2" dll="${3:-build/windows/Nerolit.dll}"
host="$emu/emu-host.sh"
# replay-sessions.sh calls one program: the runner with its module.
printf '#!/bin/sh\nexec "%s" --module "%s" "$@"\n' "$(realpath "$emu/nerolit-host")" "$(realpath "$dll")" >"$host"
chmod +x "$host"
source tests/sessions.sh
replay=$(build_program "$native" nerolit-fuzz-replay)  # wasm-asan's under Node where no 32-bit code runs
tests/fuzz/replay-sessions.sh "$replay" "$host" "$emu/fuzz-replay" \
  tests/fuzz/regressions/pending.txt tests/fuzz/regressions
