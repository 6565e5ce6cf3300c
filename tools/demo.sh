#!/usr/bin/env bash
# demo.sh - builds Nerolit.dll and plays every session in examples/ through
# the Windows reference host under Wine, loading the real DLL.  Writes the
# pictures, figure lists and traces to out/demo/ and the module to dist/.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/setup.sh
tools/build.sh windows >/dev/null

out=out/demo
rm -rf "$out" && mkdir -p "$out" dist
cp build/windows/Nerolit.dll dist/Nerolit.dll
cp build/windows/nerolit-host.exe build/windows/Nerolit.dll "$out/"

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
    wine "$out/nerolit-host.exe" --drawing "$drawing" --svg "$out/$name.before.svg" \
      "$out/empty.session" >/dev/null 2>&1 || true
  fi
  if [ -f "examples/$name.ini" ]; then
    cp "examples/$name.ini" "$out/$name.settings.ini"
    args+=(--settings "$out/$name.settings.ini")
  fi
  what=$(sed -n 's/^# demo: //p' "$session" | head -n 1)
  if wine "$out/nerolit-host.exe" "${args[@]}" "$session" >"$out/$name.out" 2>"$out/$name.err"; then
    echo "$name: ${what:-session} -> $(tail -n 1 "$out/$name.out" | sed 's/^[^:]*: //')"
  else
    echo "$name: FAILED: $(cat "$out/$name.err")"
    status=1
  fi
done
rm -f "$out/nerolit-host.exe" "$out/Nerolit.dll" "$out"/*.out "$out"/*.err "$out/empty.session"
wineserver -k 2>/dev/null || true
echo "pictures, figure lists and traces: $out/   module: dist/Nerolit.dll"
exit "${status:-0}"
