#!/usr/bin/env bash
# compare.sh NATIVE_BUILD WASM_BUILD - nerolit-host.js under Node against the
# 32-bit Linux build: every session of examples/ and tests/sessions/ (the
# list of tests/sessions.sh, as the Wine run plays them) must give the same
# exit status and standard error, byte-identical figure lists (or DXF),
# settings, pictures (--svg and every snapshot) and summary line, and traces
# that differ at most in the last digits of numbers (the two C libraries'
# math functions round a few results differently).
set -uo pipefail
native="$1/nerolit-host"
js="$2/nerolit-host.js"
work="$2/compare"
rm -rf "$work" && mkdir -p "$work"
export NODE_PATH="${NODE_PATH:-/usr/share/nodejs}"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
source "$(dirname "$0")/../sessions.sh"

for session in $(session_files); do
  name=$(basename "$session" .session)
  before=$failures
  for side in native wasm; do
    session_args "$session" "$work/$side"
    args+=(--svg "$work/$side/$name.svg" --summary)
    if [ "$side" = native ]; then
      "$native" "${args[@]}" "$session" >"$work/$side/$name.out" 2>"$work/$side/$name.err"
    else
      node "$js" "${args[@]}" "$session" >"$work/$side/$name.out" 2>"$work/$side/$name.err"
    fi
    echo $? >"$work/$side/$name.status"
  done
  n="$work/native/$name" w="$work/wasm/$name"
  if ! cmp -s "$n.status" "$w.status"; then
    fail "$session: exit status $(cat "$n.status") natively, $(cat "$w.status") under Node: $(cat "$w.err")"
    continue
  fi
  for f in "$n.figures" "$n.figures.dxf" "$n.ini" "$n.out" "$n.err"; do
    [ -f "$f" ] && ! cmp -s "$f" "$w${f#"$n"}" && fail "$session: $(basename "$f") differs" &&
      diff -a "$f" "$w${f#"$n"}" | head -5
  done
  # The drawing's picture and the session's snapshots, under the names it
  # gave them (moved aside, so that the next session starts with none).
  pictures=0
  for f in $(cd "$work/native" && ls | grep '\.svg$'); do
    if [ ! -f "$work/wasm/$f" ] || ! cmp -s "$work/native/$f" "$work/wasm/$f"; then fail "$session: picture $f differs"; fi
    pictures=$((pictures + 1))
  done
  [ "$(cd "$work/wasm" && ls | grep -c '\.svg$')" = "$pictures" ] || fail "$session: Node wrote other pictures"
  mkdir -p "$work/native/pictures" "$work/wasm/pictures"
  mv "$work"/native/*.svg "$work/native/pictures/"; mv "$work"/wasm/*.svg "$work/wasm/pictures/"
  if ! out=$(same_trace "$n.trace" "$w.trace"); then fail "$session: the traces differ"; echo "$out"; fi
  [ "$failures" = "$before" ] && echo "ok   $session (exit $(cat "$n.status"), $pictures pictures)"
done

if [ "$failures" -gt 0 ]; then
  echo "$failures WebAssembly comparisons failed"
  exit 1
fi
echo "WebAssembly under Node: every session as the native build"
