#!/usr/bin/env bash
# examples.sh HOST OUTDIR [--bless] [NAME...] - plays each session of
# examples/ (or the named ones) through the native nerolit-host and compares
# what it leaves with tests/expected/: the figure list (NAME.figures.txt)
# byte for byte, and the settings store (NAME.settings.ini) where the
# session leaves one.  A demo session that changes behaviour fails here
# even where no other test plays it.  --bless shows each difference and
# then makes the new result the expected one (tools/bless.sh calls this).
set -uo pipefail
host="$1" out="$2"
shift 2
bless=0
if [ "${1:-}" = "--bless" ]; then bless=1; shift; fi
cd "$(dirname "$0")/.."
expected=tests/expected

names=("$@")
if [ ${#names[@]} -eq 0 ]; then
  for s in examples/*.session; do names+=("$(basename "$s" .session)"); done
fi

mkdir -p "$out"
status=0
# compare GOT WANT NAME: 0 when equal; shows the difference otherwise.
compare() {
  local got="$1" want="$2" name="$3"
  if [ ! -f "$want" ]; then
    if [ -f "$got" ]; then
      echo "$name: no expected $(basename "$want") (tools/bless.sh $name makes it)"
      return 1
    fi
    return 0
  fi
  if [ ! -f "$got" ]; then
    echo "$name: the session left no $(basename "$want")"
    return 1
  fi
  if ! cmp -s "$got" "$want"; then
    echo "$name: $(basename "$want") differs from the expected one:"
    diff -u --label "expected/$(basename "$want")" --label "now" "$want" "$got" | head -n 60
    return 1
  fi
  return 0
}

for name in "${names[@]}"; do
  session="examples/$name.session"
  if [ ! -f "$session" ]; then
    echo "$name: there is no $session"
    status=1
    continue
  fi
  figures="$out/$name.figures.txt" settings="$out/$name.settings.ini"
  rm -f "$figures" "$settings"
  args=(--dump "$figures" --settings "$settings" --snapshot-dir "$out")
  [ -f "examples/$name.drawing" ] && args+=(--drawing "examples/$name.drawing")
  [ -f "examples/$name.dxf" ] && args+=(--drawing "examples/$name.dxf")
  [ -f "examples/$name.ini" ] && cp "examples/$name.ini" "$settings"
  if ! "$host" "${args[@]}" "$session" >"$out/$name.out" 2>"$out/$name.err"; then
    echo "$name: the session failed: $(cat "$out/$name.err")"
    status=1
    continue
  fi
  [ -s "$settings" ] || rm -f "$settings" # an empty store is no result
  ok=1
  compare "$figures" "$expected/$name.figures.txt" "$name" || ok=0
  compare "$settings" "$expected/$name.settings.ini" "$name" || ok=0
  if [ $ok = 1 ]; then
    echo "$name: as expected"
  elif [ $bless = 1 ]; then
    cp "$figures" "$expected/$name.figures.txt"
    if [ -f "$settings" ]; then cp "$settings" "$expected/$name.settings.ini"
    else rm -f "$expected/$name.settings.ini"; fi
    echo "$name: blessed: the result above is now the expected one"
  else
    status=1
  fi
done
[ $status = 0 ] || [ $bless = 1 ] || echo "a deliberate change: tools/bless.sh NAME shows the difference and takes the new result"
exit $status
