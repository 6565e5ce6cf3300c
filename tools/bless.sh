#!/usr/bin/env bash
# bless.sh NAME... - a deliberate change of an example's result: builds the
# native nerolit-host, plays examples/NAME.session, shows how its figure
# list and settings store differ from tests/expected/, then takes the new
# ones as expected.  `tools/bless.sh --all` does so for every example.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ $# -eq 0 ]; then
  echo "usage: tools/bless.sh NAME... | --all   (NAME as in examples/NAME.session)" >&2
  exit 2
fi
[ "$1" = "--all" ] && set --
[ -f build/native/build.ninja ] || cmake --preset native >/dev/null
cmake --build build/native --target nerolit-host >/dev/null
tests/examples.sh build/native/nerolit-host build/native/examples-bless --bless "$@"
