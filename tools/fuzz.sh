#!/usr/bin/env bash
# fuzz.sh [SECONDS] [--keep] - builds the session fuzzer (the native-clang
# preset: clang 14, 32-bit, ASan and UBSan, libFuzzer; native-fuzz, the same
# without sanitizers, where 32-bit code runs through qemu-user) and fuzzes whole
# sessions for SECONDS (default 60) with a fixed seed, one process, starting
# from seeds made of examples/ and tests/sessions/ and from the regression
# inputs of tests/fuzz/regressions/ (its pending ones left out).  Prints the
# executions, the corpus and the coverage reached (edges, and the module's
# functions: build/fuzz/coverage.txt lists those never reached).  Exits
# non-zero on any finding; the input is kept in build/fuzz/findings/.
# --keep fuzzes on from the corpus an earlier run left in build/fuzz/corpus.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=60 keep=0
for a in "$@"; do
  case "$a" in
    --keep) keep=1 ;;
    *[!0-9]* | "") echo "usage: tools/fuzz.sh [SECONDS] [--keep]" >&2; exit 2 ;;
    *) seconds=$a ;;
  esac
done
source tools/setup.sh

# Where 32-bit code runs only through qemu-user, the sanitizers make the
# fuzzer far too slow; without them it still runs 550 to 1,200 sessions a
# second there (measured on a 2-core machine, busy and idle), and the host's guard zones,
# hang check and the crashes still make findings: the native-fuzz preset.
case "$NEROLIT_X86_32" in
  native) preset=native-clang ;;
  emulated) preset=native-fuzz
    echo "fuzz: this machine runs 32-bit x86 code only through qemu-user: fuzzing without the sanitizers (native-fuzz)" ;;
  *) echo "fuzz: not run - this machine cannot execute 32-bit x86 code (the regressions replay in the wasm-asan tier)"
     exit 0 ;;
esac
echo "== building the session fuzzer ($preset)"
cmake --preset "$preset" >/dev/null
# Without a sanitizer only the fuzzer itself links (libFuzzer brings the
# coverage callbacks); findings are replayed with the native build's replay.
replay_preset=$preset
[ "$preset" = native-fuzz ] && replay_preset=native
targets=(nerolit_fuzz)
[ "$replay_preset" = "$preset" ] && targets+=(nerolit-fuzz-replay)
cmake --build --preset "$preset" -j 2 --target "${targets[@]}"
fuzzer=build/$preset/tests/fuzz/nerolit_fuzz
work=build/fuzz

# Seeds: every example and test session with its drawing and settings, once
# as it is and once with a tail of bytes for the on-demand user; a few
# inputs of bytes alone; the regressions that pass on this branch.
rm -rf "$work/seeds" "$work/findings" && mkdir -p "$work/seeds" "$work/findings" "$work/corpus"
[ "$keep" = 1 ] || rm -rf "$work/corpus"/*
tail_of() { /usr/bin/python3 -c 'import hashlib,sys; sys.stdout.buffer.write(hashlib.sha512(sys.argv[1].encode()).digest())' "$1"; }
for session in examples/*.session tests/sessions/*.session; do
  dir=$(dirname "$session") name=$(basename "$session" .session)
  seed="$work/seeds/$name.fuzz"
  {
    cat "$session"
    [ -f "$dir/$name.drawing" ] && { echo "##fuzz drawing"; cat "$dir/$name.drawing"; }
    [ -f "$dir/$name.dxf" ] && { echo "##fuzz dxf"; cat "$dir/$name.dxf"; }
    [ -f "$dir/$name.ini" ] && { echo "##fuzz settings"; cat "$dir/$name.ini"; }
    true
  } >"$seed"
  { cat "$seed"; echo "##fuzz bytes"; tail_of "$name"; } >"$work/seeds/$name.bytes.fuzz"
done
for n in 1 2 3 4 5 6 7 8; do
  { echo "##fuzz bytes"; tail_of "bytes-$n"; tail_of "more-$n"; } >"$work/seeds/bytes-$n.fuzz"
done
pending=$(sed 's/#.*//' tests/fuzz/regressions/pending.txt | tr -d ' \t')
for input in tests/fuzz/regressions/*.fuzz; do
  grep -qxF "$(basename "$input")" <<<"$pending" || cp "$input" "$work/seeds/"
done

echo "== fuzzing for $seconds s (seed 1)"
# Shorter allocation stacks: the host allocates at every service call.
export ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=1:symbolize=1:malloc_context_size=10"
export ASAN_SYMBOLIZER_PATH=/usr/lib/llvm-14/bin/llvm-symbolizer
status=0
"$fuzzer" -seed=1 -max_total_time="$seconds" -timeout=30 -rss_limit_mb=2560 -max_len=32768 \
  -dict=tests/fuzz/session.dict -artifact_prefix="$work/findings/" -print_final_stats=1 -print_coverage=1 \
  "$work/corpus" "$work/seeds" >"$work/fuzz.log" 2>&1 || status=$?

# The numbers: libFuzzer's final stats and its last status line.
grep -v '^nerolit-host: fuzz.dxf' "$work/fuzz.log" | grep -vE '^(COVERED_FUNC|UNCOVERED_FUNC|COVERAGE:)' |
  grep -E '^#[0-9]+\s+(DONE|pulse|NEW|REDUCE|INITED)' | tail -1 || true
runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/fuzz.log" | tail -1)
rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$work/fuzz.log" | tail -1)
units=$(find "$work/corpus" -type f | wc -l)
bytes=$(du -sb "$work/corpus" | cut -f1)
last=$(grep -E '^#[0-9]+\s' "$work/fuzz.log" | grep -oE 'cov: [0-9]+ ft: [0-9]+' | tail -1 || true)
module='/(frame|mirror|hatch|cloud|parametric)/[A-Za-z]+\.cpp'
grep -E "^(UN)?COVERED_FUNC" "$work/fuzz.log" | grep -E "$module" | sort -u >"$work/coverage.txt" || true
reached=$(grep -c '^COVERED_FUNC' "$work/coverage.txt" || true)
never=$(grep -c '^UNCOVERED_FUNC' "$work/coverage.txt" || true)
echo "executions: ${runs:-?} (${rate:-?}/s)"
echo "corpus: $units inputs, $bytes bytes (build/fuzz/corpus)"
echo "coverage: ${last:-?} (edges and features of module and host)"
# (Edge counts per function are left out: ASan's report branches, which a
# sound run never takes, count among them.)
echo "module functions reached: $reached of $((reached + never)) (never reached: $work/coverage.txt)"

# libFuzzer also keeps inputs slower than 10 s (slow-unit-*): shown, not findings.
ls "$work/findings"/slow-unit-* 2>/dev/null | sed 's/^/slow input (no finding): /' || true
if [ "$status" != 0 ] || ls "$work/findings"/{crash,leak,timeout,oom}-* >/dev/null 2>&1; then
  grep -E 'nerolit fuzz: finding|ERROR: |runtime error|SUMMARY|ALARM|Test unit written' "$work/fuzz.log" | head -20
  echo "FINDING: the fuzzer stopped with status $status; replay it with"
  echo "  build/$replay_preset/tests/fuzz/nerolit-fuzz-replay --write DIR $work/findings/*"
  exit 1
fi
echo "no findings"
