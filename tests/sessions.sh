# sessions.sh - sourced by the scripts that play every session of examples/
# and tests/sessions/ in two builds and compare them (tests/wine/e2e.sh,
# tests/wasm/compare.sh): which sessions, with which files, and how traces
# are compared.
#
#   for session in $(session_files); do ...
#   session_args SESSION OUTDIR   sets `args` (--dump, --trace, --snapshot-dir,
#                                 --drawing, --settings) and `dump`, the figure
#                                 list's path (NAME.figures, or NAME.figures.dxf
#                                 for a session that starts from NAME.dxf); a
#                                 NAME.ini is copied into OUTDIR first, since
#                                 the host writes the settings back
#   same_trace A B                traces equal, numbers to 12 significant digits
#                                 (C runtimes' math functions may round the
#                                 last digits differently)
#   build_program BUILD NAME      the path that runs BUILD's program NAME
#                                 (nerolit-host, nerolit_tests,
#                                 nerolit-fuzz-replay): its file, or under
#                                 emscripten (wasm-asan) the script in
#                                 BUILD/run that runs it under Node

session_files() {
  local s
  for s in examples/*.session tests/sessions/*.session; do
    [ -f "$s" ] && echo "$s"
  done
}

session_args() {
  local session="$1" out="$2" dir name
  dir=$(dirname "$session"); name=$(basename "$session" .session)
  mkdir -p "$out"
  dump="$out/$name.figures"
  [ -f "$dir/$name.dxf" ] && dump="$dump.dxf"
  args=(--dump "$dump" --trace "$out/$name.trace" --snapshot-dir "$out")
  [ -f "$dir/$name.drawing" ] && args+=(--drawing "$dir/$name.drawing")
  [ -f "$dir/$name.dxf" ] && args+=(--drawing "$dir/$name.dxf")
  if [ -f "$dir/$name.ini" ]; then
    cp "$dir/$name.ini" "$out/$name.ini"
    args+=(--settings "$out/$name.ini")
  fi
  return 0
}

same_trace() {
  awk '
    function norm(line,   n, i, t, out) {
      gsub(/[=(),]/, " ", line)
      n = split(line, t, " ")
      out = ""
      for (i = 1; i <= n; i++) {
        if (t[i] ~ /^-?[0-9]+(\.[0-9]+)?(e[-+]?[0-9]+)?$/) t[i] = sprintf("%.12g", t[i] + 0)
        out = out " " t[i]
      }
      return out
    }
    NR == FNR { a[FNR] = norm($0); na = FNR; next }
    { if (norm($0) != a[FNR]) { print "  line " FNR ": " $0; bad = 1; exit } nb = FNR }
    END { if (!bad && na != nb) { print "  lengths differ: " na " and " nb; bad = 1 } exit bad }
  ' "$1" "$2"
}

build_program() {
  local p
  for p in "$1/run/$2" "$1/$2" "$1/tests/$2" "$1/tests/fuzz/$2"; do
    [ -x "$p" ] && { echo "$p"; return 0; }
  done
  echo "$1/$2"  # not built: the caller's run says so
}
