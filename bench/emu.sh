#!/usr/bin/env bash
# emu.sh [NATIVE_BUILD] [EMU_BUILD] [DLL] - the real Nerolit.dll in the
# emulated runner against the native build (and the Windows build under Wine
# where Wine runs), side by side in one run, each the fastest of three:
#   sessions  every session of examples/ and tests/sessions/ in a row
#   hatch     one long hatch pass: a 4,000 x 4,000 square with the pattern
#             settings of examples/hatch-kinds (35,245 figures)
#   trail     a 40,000-event trail: kumo1 in arc mode, one mouse move an event
# All with --fast (guard zones checked after commands, no trace).  Run from
# the source tree's top after building the three builds.
set -uo pipefail
native="${1:-build/native}" emu="${2:-build/emu}" dll="${3:-build/windows/Nerolit.dll}"
work="$emu/bench" && rm -rf "$work" && mkdir -p "$work"
source tests/sessions.sh

# The generated sessions.
{
  echo "set figureLimit 2000000"
  echo "set selectMode 0"
  echo "run Hatch"
  echo 'panel pick 8 "7"'
  echo "panel ok"
  echo "point 0 0"; echo "point 4000 0"; echo "point 4000 4000"; echo "point 0 4000"; echo "point 0 0"
  echo "close"
  echo "panel cancel"
} >"$work/hatch.session"
{
  echo "set figureLimit 200000"
  echo "run kumo1"
  echo 'panel choose "マウス軌跡（時計周凹型） "'
  echo 'panel set "弦の長さ" 40'
  echo "panel ok"
  echo "point 0 0"
  awk 'BEGIN { for (i = 1; i <= 40000; i++) printf "move %.2f %.2f\n", i * 0.5, 300 * sin(i / 400) }'
  echo "confirm"
  echo "cancel"
  echo "panel cancel"
} >"$work/trail.session"

wine_runs=false
if command -v wine >/dev/null && [ -f build/windows/nerolit-host.exe ] &&
  timeout 60 wine build/windows/nerolit-host.exe --help >/dev/null 2>&1; then
  wine_runs=true
fi

# seconds RUNNER SESSION-SET: the fastest of three runs.
play() {
  local runner=$1 what=$2 session
  case "$runner" in
    native) cmd=("$native/nerolit-host") ;;
    emulated) cmd=("$emu/nerolit-host" --module "$dll") ;;
    wine) cmd=(wine build/windows/nerolit-host.exe --module "$dll") ;;
  esac
  if [ "$what" = sessions ]; then
    for session in $(session_files); do
      session_args "$session" "$work/$runner"
      "${cmd[@]}" --fast "${args[@]}" "$session" >/dev/null 2>&1
    done
  else
    settings=()
    [ "$what" = hatch ] && cp examples/hatch-kinds.ini "$work/$runner.ini" && settings=(--settings "$work/$runner.ini")
    "${cmd[@]}" --fast "${settings[@]}" --dump "$work/$runner-$what.figures" "$work/$what.session" >/dev/null 2>"$work/$runner-$what.err"
  fi
}
# seconds RUNNER WHAT: the processor time (user + system) of the fastest of
# three runs, and its wall time: on a shared machine the wall time says
# more about the other jobs than about the runner.
seconds() {
  local best="" wall="" t
  TIMEFORMAT='%R %U %S'
  for _ in 1 2 3; do
    t=$({ time play "$1" "$2"; } 2>&1 | tail -1)
    read -r r u s <<<"$t"
    cpu=$(echo "$u + $s" | bc)
    if [ -z "$best" ] || [ "$(echo "$cpu < $best" | bc)" = 1 ]; then best=$cpu wall=$r; fi
  done
  printf '%.2f (%.2f)' "$best" "$wall"
}
ratio() { echo "scale=2; ${2%% *} / ${1%% *}" | bc | sed 's/^\./0./'; }

echo "machine: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(nproc) cores;" \
  "native: $(file -b "$native/nerolit-host" | cut -d, -f1-2)"
$wine_runs || echo "Wine: not run (it cannot start on this machine)"
echo "processor seconds (user + system), the wall seconds in brackets"
printf '| run | native s | emulated s | emulated/native |%s\n' "$($wine_runs && echo ' Wine s |')"
printf '|---|---|---|---|%s\n' "$($wine_runs && echo '---|')"
for what in sessions hatch trail; do
  n=$(seconds native $what) e=$(seconds emulated $what)
  line="| $what | $n | $e | $(ratio "$n" "$e") |"
  $wine_runs && line="$line $(seconds wine $what) |"
  echo "$line"
  if [ "$what" != sessions ] && ! cmp -s "$work/native-$what.figures" "$work/emulated-$what.figures"; then
    echo "  the $what drawings differ: $(cat "$work/emulated-$what.err")"
  fi
done
