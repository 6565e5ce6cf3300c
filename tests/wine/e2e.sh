#!/usr/bin/env bash
# e2e.sh REFERENCE_BUILD WINDOWS_BUILD - the shipped DLL file's checks on
# every machine; then, where Wine runs (NEROLIT_WINE=yes, from
# tools/setup.sh), the Windows host and the real DLL under Wine against the
# reference build (the 32-bit Linux build, or wasm-asan where no 32-bit
# program runs; only its host and its test program are used): every session
# of examples/ and tests/sessions/ must give the same exit status,
# byte-identical figure lists (DXF files for a session that starts from
# NAME.dxf), settings and pictures, and traces that differ at most in the
# last digits of numbers (the two C runtimes' math functions may round
# differently): tests/compare-sessions.sh.
# Then a module that writes where it may not, and one that lacks an export.
set -uo pipefail
source "$(dirname "$0")/../sessions.sh"
native=$(build_program "$1" nerolit-host)
tests=$(build_program "$1" nerolit_tests)
win="$2"
work="$2/e2e"
rm -rf "$work" && mkdir -p "$work"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# The DLL file: export names, imports, texts, resources, version block,
# no symbols or debug sections.  Read as a file: no 32-bit code runs.
if NEROLIT_DLL="$win/Nerolit.dll" "$tests" --gtest_filter='DllFile.*' >"$work/dllfile.log" 2>&1 &&
   grep -q "PASSED.* 5 tests" "$work/dllfile.log" && ! grep -q SKIPPED "$work/dllfile.log"; then
  echo "ok   Nerolit.dll exports, imports, texts and resources; stripped ($(stat -c %s "$win/Nerolit.dll") bytes)"
else
  cat "$work/dllfile.log"; fail "Nerolit.dll file checks"
fi

if [ -z "${NEROLIT_WINE:-}" ]; then
  if command -v wine >/dev/null 2>&1; then NEROLIT_WINE=yes; else NEROLIT_WINE=no NEROLIT_WINE_WHY="wine is not installed"; fi
fi
if [ "$NEROLIT_WINE" != yes ]; then
  echo "Windows build under Wine: not run - ${NEROLIT_WINE_WHY:-Wine cannot run here}"
  if [ "$failures" -gt 0 ]; then
    echo "$failures Windows build checks failed"
    exit 1
  fi
  exit 0
fi


# Every session through both hosts, as every other pair of builds is
# compared (also the pictures); the console's CR LF aside.
COMPARE_CONSOLE=no "$(dirname "$0")/../compare-sessions.sh" "$work/compare" native "$native" \
  windows "wine $win/nerolit-host.exe --module $win/Nerolit.dll" || fail "the sessions under Wine"

# A module that writes the host's inputStatus is stopped by the guard zones.
echo "run C66" >"$work/stray.session"
wine "$win/nerolit-host.exe" --module "$win/StrayWrite.dll" "$work/stray.session" >/dev/null 2>"$work/stray.err"
status=$?
if [ "$status" = 3 ] && grep -q "inputStatus" "$work/stray.err"; then
  echo "ok   a stray write of the module is caught: $(cat "$work/stray.err")"
else
  fail "the stray write was not caught (exit $status): $(cat "$work/stray.err")"
fi

# A module without the expected exports is refused by name.
wine "$win/nerolit-host.exe" --module "$win/nerolit-host.exe" "$work/stray.session" >/dev/null 2>"$work/noexport.err"
status=$?
if [ "$status" = 4 ] && grep -q "no export StartDLL" "$work/noexport.err"; then
  echo "ok   a module without exports is refused: $(cat "$work/noexport.err")"
else
  fail "a module without exports: exit $status: $(cat "$work/noexport.err")"
fi

if [ "$failures" -gt 0 ]; then
  echo "$failures Wine end-to-end checks failed"
  exit 1
fi
echo "Wine end-to-end: all checks passed"
