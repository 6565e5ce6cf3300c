#!/usr/bin/env bash
# demo.sh - builds Nerolit.dll and plays every session in examples/, writing
# the pictures, figure lists and traces to out/demo/ and the module to dist/.
# Where Wine runs, the Windows reference host plays them with the real DLL;
# elsewhere a build of the same sources that runs here does, and the demo
# says so at the top and the bottom.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/setup.sh
tools/build.sh windows >/dev/null

out=out/demo
rm -rf "$out" && mkdir -p "$out" dist
cp build/windows/Nerolit.dll dist/Nerolit.dll

# The player: play ARGS... runs the reference host with those arguments.
if [ "$NEROLIT_WINE" = yes ]; then
  cp build/windows/nerolit-host.exe build/windows/Nerolit.dll "$out/"
  play() { wine "$out/nerolit-host.exe" "$@"; }
  player="the Windows host under Wine, with the real Nerolit.dll"
elif [ "$NEROLIT_X86_32" != none ]; then
  # Under qemu-user the 32-bit build played the examples in 115-122 s, the
  # WebAssembly build under Node in 137-143 s (alternated, on a 2-core
  # machine with a load of about 15): the 32-bit build goes first.
  tools/build.sh native >/dev/null
  play() { build/native/nerolit-host "$@"; }
  player="the 32-bit Linux host ($NEROLIT_X86_32 32-bit x86) with the module's sources built in; Nerolit.dll itself was not run (Wine: $NEROLIT_WINE_WHY)"
else
  tools/build.sh wasm >/dev/null
  play() { node build/wasm/nerolit-host.js "$@"; }
  player="the WebAssembly host under Node with the module's sources built in; Nerolit.dll itself was not run (Wine: $NEROLIT_WINE_WHY)"
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
