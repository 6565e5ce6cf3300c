#!/usr/bin/env bash
# demo.sh - builds Nerolit.dll and plays every session in examples/, writing
# the pictures, figure lists and traces to out/demo/ and the module to dist/.
# The real DLL plays them: under Wine where Wine runs, elsewhere in the
# emulated runner; the demo says which at the top and the bottom.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/setup.sh
tools/build.sh windows >/dev/null

out=out/demo
rm -rf "$out" && mkdir -p "$out" dist
cp build/windows/Nerolit.dll dist/Nerolit.dll

# The player: play ARGS... runs the reference host with the real DLL:
# the Windows host under Wine where Wine runs, elsewhere the 64-bit host's
# emulated runner (Unicorn 2).  Where Wine cannot run, the runner is also
# the fastest player: every session took 25 s of wall time with it against
# 71 s with the 32-bit build under qemu-user (bench/emu.sh), and the examples
# alone took 115-122 s with that 32-bit build against 137-143 s with the
# WebAssembly build under Node (2-core machine, load about 15 throughout).
cp build/windows/Nerolit.dll "$out/"
if [ "$NEROLIT_WINE" = yes ]; then
  cp build/windows/nerolit-host.exe "$out/"
  play() { wine "$out/nerolit-host.exe" "$@"; }
  player="the real Nerolit.dll, in the Windows host under Wine"
else
  tools/build.sh emu >/dev/null
  play() { build/emu/nerolit-host --module "$out/Nerolit.dll" "$@"; }
  player="the real Nerolit.dll, in the emulated runner (build/emu, Unicorn 2; Wine: $NEROLIT_WINE_WHY)"
fi
echo "demo: the examples are played by $player"

for session in examples/*.session; do
  name=$(basename "$session" .session)
  args=(--dump "$out/$name.figures.txt" --svg "$out/$name.svg" --trace "$out/$name.trace.txt"
        --snapshot-dir "$out" --summary)
  drawing=""
  [ -f "examples/$name.drawing" ] && drawing="examples/$name.drawing"
  if [ -f "examples/$name.dxf" ]; then  # a DXF drawing is saved as DXF too
    drawing="examples/$name.dxf"
    args=(--dump "$out/$name.dxf" "${args[@]:2}")
  fi
  if [ -n "$drawing" ]; then
    args+=(--drawing "$drawing")
    : >"$out/empty.session"
    play --drawing "$drawing" --svg "$out/$name.before.svg" "$out/empty.session" >/dev/null 2>&1 || true
  fi
  if [ -f "examples/$name.ini" ]; then
    cp "examples/$name.ini" "$out/$name.settings.ini"
    args+=(--settings "$out/$name.settings.ini")
  fi
  what=$(sed -n 's/^# demo: //p' "$session" | head -n 1)
  if play "${args[@]}" "$session" >"$out/$name.out" 2>"$out/$name.err"; then
    echo "$name: ${what:-session} -> $(tail -n 1 "$out/$name.out" | sed 's/^[^:]*: //')"
  else
    echo "$name: FAILED: $(cat "$out/$name.err")"
    status=1
  fi
done
rm -f "$out/nerolit-host.exe" "$out/Nerolit.dll" "$out"/*.out "$out"/*.err "$out/empty.session"
[ "$NEROLIT_WINE" = yes ] && { timeout 10 wineserver -k 2>/dev/null || true; }
echo "pictures, figure lists and traces: $out/   module: dist/Nerolit.dll"
echo "played by $player"
exit "${status:-0}"
