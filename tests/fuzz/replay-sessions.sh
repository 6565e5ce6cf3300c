#!/usr/bin/env bash
# replay-sessions.sh REPLAY HOST OUT PENDING PATH... - every regression input
# written down as plain files (nerolit-fuzz-replay --write OUT) and played
# by nerolit-host with its drawing and settings: it must end as it ended in
# process (exit 0, or 2 for a session the host refuses) with the same
# drawing, and the settings store it writes must load again in the next
# session.
set -u
replay=$1 host=$2 out=$3 pending=$4
shift 4
rm -rf "$out" && mkdir -p "$out"
if ! "$replay" --write "$out" --pending "$pending" "$@" >"$out/replay.log" 2>&1; then
  cat "$out/replay.log"
  exit 1
fi
failures=0 played=0
printf '' >"$out/empty.session"
for status in "$out"/*.status; do
  [ -f "$status" ] || continue
  name=${status%.status}
  drawing="$name.drawing"
  [ -f "$name.dxf" ] && drawing="$name.dxf"
  "$host" --drawing "$drawing" --settings "$name.ini" --dump "$name.replayed" "$name.session" >/dev/null 2>"$name.err"
  got=$? want=$(cat "$status")
  played=$((played + 1))
  if [ "$got" != "$want" ]; then
    echo "FAIL $(basename "$name"): nerolit-host exit $got, in process $want: $(cat "$name.err")"
    failures=$((failures + 1))
  elif [ "$got" = 0 ] && ! cmp -s "$name.figures" "$name.replayed"; then
    echo "FAIL $(basename "$name"): nerolit-host ends with another drawing than the session in process"
    diff "$name.figures" "$name.replayed" | head -5
    failures=$((failures + 1))
  elif [ "$got" = 0 ] && ! "$host" --settings "$name.ini" "$out/empty.session" 2>"$name.err2"; then
    echo "FAIL $(basename "$name"): the settings store it wrote does not load again: $(cat "$name.err2")"
    failures=$((failures + 1))
  else
    echo "ok   $(basename "$name") (exit $got)"
  fi
done
echo "$played sessions replayed by nerolit-host, $failures failed"
[ "$failures" = 0 ]
