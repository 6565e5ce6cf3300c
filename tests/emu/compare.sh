#!/usr/bin/env bash
# compare.sh NATIVE_BUILD EMU_BUILD [DLL] - the real Nerolit.dll run by the
# emulated runner (EMU_BUILD/nerolit-host --module DLL; DLL defaults to
# build/windows/Nerolit.dll) against the 32-bit Linux build: every session,
# as tests/compare-sessions.sh compares them; then the session fuzzer's
# regression inputs replayed through the DLL (tests/emu/replay.sh).  Run from the source tree's top.
set -uo pipefail
native="$1" emu="$2" dll="${3:-build/windows/Nerolit.dll}"
source tests/sessions.sh
reference=$(build_program "$native" nerolit-host)  # wasm-asan's under Node where no 32-bit code runs
status=0
tests/compare-sessions.sh "$emu/compare" native "$reference" \
  emulated "$emu/nerolit-host --module $dll" || status=1
tests/emu/replay.sh "$native" "$emu" "$dll" || status=1
exit $status
