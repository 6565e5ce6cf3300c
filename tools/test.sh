#!/usr/bin/env bash
# test.sh - every test: the 32-bit Linux build, the same with AddressSanitizer
# and UBSan, the clang build with both, the Windows build run under Wine
# against the native one, the WebAssembly build (nerolit-host.js under Node
# against the native one, and the engine's tests under node --test), the
# studio page's browser tests, and a minute of the session fuzzer.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/setup.sh
tools/build.sh native native-asan native-clang windows wasm

jobs=$(nproc 2>/dev/null || echo 2)
echo "== native tests"
ctest --preset native -j "$jobs"
echo "== native tests with AddressSanitizer and UBSan"
ctest --preset native-asan -j "$jobs"
echo "== clang build with AddressSanitizer and UBSan"
ctest --preset native-clang -j "$jobs"
echo "== Windows build under Wine"
tests/wine/e2e.sh build/native build/windows
echo "== WebAssembly under Node"
tests/wasm/compare.sh build/native build/wasm
node --test tests/wasm/
wineserver -k 2>/dev/null || true
echo "== Nerolit Studio in Chromium (headless)"
tools/studio.sh --test
echo "== session fuzzer, 60 s"
tools/fuzz.sh 60
echo "all tests passed"
