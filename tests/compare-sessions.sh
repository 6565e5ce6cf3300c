#!/usr/bin/env bash
# compare-sessions.sh WORK NAME_A "COMMAND_A" NAME_B "COMMAND_B" - plays every
# session of examples/ and tests/sessions/ (the list of tests/sessions.sh)
# through two hosts and compares them: the same exit status and standard
# error, byte-identical figure lists (or DXF), settings, pictures (--svg and
# every snapshot) and summary line, and traces that differ at most in the
# last digits of numbers (sessions.sh: same_trace).  A COMMAND is the host
# program with any leading arguments, split at spaces, e.g.
#   build/emu/nerolit-host --module build/windows/Nerolit.dll
# One line per session, then "N passed, N failed"; exit 1 when any failed.
# With COMPARE_CONSOLE=no the standard output and error are not compared
# (a Windows host under Wine writes them in text mode, with CR LF; every
# file it writes is binary, as here).  Run from the source tree's top.
set -uo pipefail
work="$1" a="$2" b="$4"
read -r -a cmd_a <<<"$3"
read -r -a cmd_b <<<"$5"
rm -rf "$work" && mkdir -p "$work"
source "$(dirname "$0")/sessions.sh"
passed=0 failed=0

for session in $(session_files); do
  name=$(basename "$session" .session)
  problems=()
  for side in "$a" "$b"; do
    session_args "$session" "$work/$side"
    args+=(--svg "$work/$side/$name.svg" --summary)
    if [ "$side" = "$a" ]; then run=("${cmd_a[@]}"); else run=("${cmd_b[@]}"); fi
    "${run[@]}" "${args[@]}" "$session" >"$work/$side/$name.out" 2>"$work/$side/$name.err"
    echo $? >"$work/$side/$name.status"
  done
  x="$work/$a/$name" y="$work/$b/$name"
  if ! cmp -s "$x.status" "$y.status"; then
    problems+=("exit status $(cat "$x.status") in $a, $(cat "$y.status") in $b: $(head -c 300 "$y.err")")
  else
    files=("$x.figures" "$x.figures.dxf" "$x.ini")
    [ "${COMPARE_CONSOLE:-yes}" = no ] || files+=("$x.out" "$x.err")
    for f in "${files[@]}"; do
      if [ -f "$f" ] && ! cmp -s "$f" "$y${f#"$x"}"; then
        problems+=("$(basename "$f") differs: $(diff -a "$f" "$y${f#"$x"}" | head -3 | tr '\n' ' ')")
      fi
    done
    if ! out=$(same_trace "$x.trace" "$y.trace"); then problems+=("the traces differ:$out"); fi
  fi
  # The drawing's picture and the session's snapshots, under the names it
  # gave them (moved aside, so that the next session starts with none).
  pictures=0
  for f in $(cd "$work/$a" && ls | grep '\.svg$'); do
    if [ ! -f "$work/$b/$f" ] || ! cmp -s "$work/$a/$f" "$work/$b/$f"; then problems+=("picture $f differs"); fi
    pictures=$((pictures + 1))
  done
  [ "$(cd "$work/$b" && ls | grep -c '\.svg$')" = "$pictures" ] || problems+=("$b wrote other pictures")
  mkdir -p "$work/$a/pictures" "$work/$b/pictures"
  mv "$work/$a"/*.svg "$work/$a/pictures/" 2>/dev/null
  mv "$work/$b"/*.svg "$work/$b/pictures/" 2>/dev/null
  if [ ${#problems[@]} -eq 0 ]; then
    echo "ok   $session (exit $(cat "$x.status"), $pictures pictures)"
    passed=$((passed + 1))
  else
    for p in "${problems[@]}"; do echo "FAIL $session: $p"; done
    failed=$((failed + 1))
  fi
done

echo "$passed passed, $failed failed ($b against $a)"
[ "$failed" -eq 0 ]
