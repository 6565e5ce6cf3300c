#!/usr/bin/env bash
# test.sh - every test this machine can run, in tiers, and at the end one
# line per tier saying whether it ran:
#   native        the 32-bit Linux build's tests (natively, or through
#                 qemu-user on a machine that cannot execute 32-bit x86 code)
#   native-asan   the 32-bit build with both sanitizers, and native-clang,
#                 clang's build with both: where 32-bit code runs natively
#   wasm-asan     elsewhere (under qemu-user those take hours): the same
#                 tests and the fuzzer's replay, built by emscripten with
#                 AddressSanitizer and UBSan, under Node
#   windows       the shipped DLL's static checks on every machine; the
#                 Windows host and the DLL under Wine against the native
#                 build where Wine runs
#   emu           the real DLL in the emulated runner (Unicorn 2, a 64-bit
#                 host) against the native build, on every machine
#   wasm          nerolit-host.js under Node against the native build, and
#                 the engine's tests
#   studio        the page's browser tests in headless Chromium
#   fuzz          a minute of the session fuzzer: native-clang (ASan, UBSan)
#                 where 32-bit code runs natively, native-fuzz (no
#                 sanitizers) through qemu-user
# A tier that cannot run here says so and why; it is never left out quietly.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/setup.sh
started=$SECONDS
jobs=$(nproc 2>/dev/null || echo 2)

tiers=()
tier_ran() { tiers+=("ran      $1 ($(($SECONDS - tier_start)) s)"); }
tier_not_run() { tiers+=("not run  $1 - $2"); echo "== $1: not run - $2"; }
tier_begin() { tier_start=$SECONDS; echo "== $1"; }

# The reference host's floors: no include may run back up.
tier_begin "the host's include graph"
tools/include-graph.py | tail -n 1
tools/include-graph.py >/dev/null || { tools/include-graph.py | grep 'back up'; exit 1; }
tier_ran "layers: no include of the reference host runs back up"

# The sanitizer tier: the 32-bit builds where 32-bit code runs natively, the
# WebAssembly build under Node everywhere else (one of the two, so that a
# machine that runs 32-bit code is not slowed by the second).
presets=(windows emu wasm)
[ "$NEROLIT_X86_32" != none ] && presets=(native "${presets[@]}")
if [ "$NEROLIT_X86_32" = native ]; then presets+=(native-asan native-clang); else presets+=(wasm-asan); fi
tools/build.sh "${presets[@]}"

# The program that plays a session natively: the 32-bit build where it
# runs, else the WebAssembly one under Node (the same sources).
if [ "$NEROLIT_X86_32" != none ]; then
  reference=build/native
  tier_begin "native tests ($NEROLIT_X86_32 32-bit x86)"
  ctest --preset native -j "$jobs"
  tier_ran "native: the 32-bit Linux build's tests ($NEROLIT_X86_32)"
else
  reference=""
  tier_not_run "native: the 32-bit Linux build's tests" "this machine cannot execute 32-bit x86 code, and qemu-user could not be set up"
fi

if [ "$NEROLIT_X86_32" = native ]; then
  tier_begin "native tests with AddressSanitizer and UBSan"
  ctest --preset native-asan -j "$jobs"
  tier_ran "native-asan: the 32-bit build's tests with AddressSanitizer and UBSan"
  tier_begin "clang build with AddressSanitizer and UBSan"
  ctest --preset native-clang -j "$jobs"
  tier_ran "native-clang: clang's 32-bit build with both sanitizers"
  tier_not_run "wasm-asan: the WebAssembly build with both sanitizers" "the 32-bit sanitizer builds above ran instead"
else
  tier_not_run "native-asan and native-clang: the 32-bit sanitizer builds" "this machine cannot execute 32-bit x86 code natively (far too slow under qemu-user; wasm-asan runs instead)"
  tier_begin "WebAssembly tests with AddressSanitizer and UBSan, under Node"
  ctest --preset wasm-asan -j "$jobs"
  tier_ran "wasm-asan: the tests and the fuzzer's replay with AddressSanitizer and UBSan, under Node"
fi

tier_begin "Windows build"
if [ -n "$reference" ]; then
  tests/wine/e2e.sh "$reference" build/windows
else
  tests/wine/e2e.sh build/wasm-asan build/windows
fi
if [ "$NEROLIT_WINE" = yes ]; then
  tier_ran "windows: the DLL's file checks, and the Windows host with the DLL under Wine against the native build"
else
  tier_ran "windows: the DLL's file checks"
  tier_not_run "windows: the Windows build under Wine" "$NEROLIT_WINE_WHY"
fi

tier_begin "the real Nerolit.dll in the emulated runner (Unicorn 2)"
ctest --preset emu
tests/emu/compare.sh "${reference:-build/wasm-asan}" build/emu build/windows/Nerolit.dll
tier_ran "emu: the real Nerolit.dll in the emulated runner against the ${reference:-build/wasm-asan} build, every session and the fuzzer's regressions"

if [ -n "$reference" ]; then
  tier_begin "WebAssembly under Node"
  tests/wasm/compare.sh "$reference" build/wasm
  node --test tests/wasm/
  tier_ran "wasm: nerolit-host.js against the native build, and the engine's tests"
else
  tier_begin "WebAssembly engine under Node"
  node --test tests/wasm/
  tier_ran "wasm: the engine's tests"
  tier_not_run "wasm: nerolit-host.js against the native build" "no native build runs here"
fi
[ "$NEROLIT_WINE" = yes ] && { timeout 10 wineserver -k 2>/dev/null || true; }

tier_begin "Nerolit Studio in Chromium (headless)"
if [ -n "$reference" ]; then
  tools/studio.sh --test
else  # the downloaded sessions replayed by the WebAssembly host
  NEROLIT_HOST="$PWD/build/wasm-asan/run/nerolit-host" tools/studio.sh --test
fi
tier_ran "studio: the page's browser tests"

if [ "$NEROLIT_X86_32" = native ]; then
  tier_begin "session fuzzer, 60 s"
  tools/fuzz.sh 60
  tier_ran "fuzz: 60 s of the session fuzzer (native-clang, with ASan and UBSan)"
elif [ "$NEROLIT_X86_32" = emulated ]; then
  tier_begin "session fuzzer, 60 s, without sanitizers (qemu-user)"
  tools/fuzz.sh 60
  tier_ran "fuzz: 60 s of the session fuzzer (native-fuzz: no sanitizers under qemu-user)"
else
  tier_not_run "fuzz: the session fuzzer" "its 32-bit libFuzzer build cannot run here (its regressions were replayed in the wasm-asan tier)"
fi

echo "== what ran on this machine ($NEROLIT_X86_32 32-bit x86, Wine: $NEROLIT_WINE), in $((SECONDS - started)) s"
printf '   %s\n' "${tiers[@]}"
echo "all tests passed"
