#!/usr/bin/env bash
# studio.sh - Nerolit Studio: installs what is missing, builds the page and
# serves it on 127.0.0.1 until stopped.
#
#   tools/studio.sh [--port N]    build, serve, print http://127.0.0.1:PORT/
#   tools/studio.sh --build       build only (build/studio/site)
#   tools/studio.sh --test        build, then run the browser tests headless
#
# The page is static: build/studio/site holds studio/web, the toolbar
# bitmaps as PNG and the engine (build/wasm/nerolit.mjs, nerolit-engine.mjs
# and nerolit-engine.wasm); any static file server can serve it.
set -euo pipefail
cd "$(dirname "$0")/.."

mode=serve
port=0
while [ $# -gt 0 ]; do
  case "$1" in
    --build) mode=build ;;
    --test) mode=test ;;
    --port) port="${2:?--port needs a number}"; shift ;;
    *) echo "usage: tools/studio.sh [--port N | --build | --test]" >&2; exit 2 ;;
  esac
  shift
done

# What the page, its engine and its tests need (not the Wine and MinGW
# packages of the other builds): CMake, Ninja and Debian's emscripten for
# the engine, Node with npm, Debian's Chromium for the tests (no browser
# download) and the IPA Gothic font for the screenshots' Japanese texts.
source tools/apt.sh
npm=()
command -v npm >/dev/null 2>&1 || npm=(npm)
if ! apt_install "what the Studio needs" cmake ninja-build python3 emscripten chromium fonts-ipafont-gothic "${npm[@]}"; then
  tail -n 15 /tmp/nerolit-apt-install.log
  echo "studio: the packages above could not be installed" >&2
  exit 1
fi
# The npm packages pinned by studio/package-lock.json, installed again when
# the lock file changed.
if [ ! -f studio/node_modules/.package-lock.json ] || [ studio/package-lock.json -nt studio/node_modules/.package-lock.json ]; then
  echo "studio: installing the npm packages"
  (cd studio && npm ci --no-audit --no-fund --loglevel=error)
fi

# The engine, then the site.
tools/build.sh wasm
site=build/studio/site
rm -rf "$site"
mkdir -p "$site/icons"
cp -r studio/web/. "$site/"
/usr/bin/python3 tools/studio-icons.py "$site/icons" resources/*.bmp
cp build/wasm/nerolit.mjs build/wasm/nerolit-engine.mjs build/wasm/nerolit-engine.wasm "$site/js/"

case "$mode" in
  build) echo "studio: $site" ;;
  test)
    # The tests replay each downloaded session in the native nerolit-host
    # (or in the one NEROLIT_HOST names, where no 32-bit program runs).
    if [ -z "${NEROLIT_HOST:-}" ]; then
      [ -f build/native/build.ninja ] || cmake --preset native >/dev/null
      cmake --build --preset native --target nerolit-host
      NEROLIT_HOST="$PWD/build/native/nerolit-host"
    fi
    cd studio && NEROLIT_STUDIO_SITE="../$site" NEROLIT_HOST="$NEROLIT_HOST" npm test ;;
  serve) exec node studio/serve.mjs "$site" "$port" ;;
esac
