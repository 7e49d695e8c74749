#!/usr/bin/env bash
# Builds the web page into build-web/web/index.html (open it from disk, or put the folder on
# any static host). Run from the repository's root: bash web/build.sh
# Needs Debian's emscripten (apt-get install -y emscripten), whose tools run under node.
set -euo pipefail
cd "$(dirname "$0")/.."

if ! command -v emcmake >/dev/null; then
  echo "web/build.sh: emscripten not found (apt-get install -y emscripten)" >&2
  exit 1
fi
# Debian's emscripten finds its node modules only through NODE_PATH.
export NODE_PATH="/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}"
emcmake cmake -S . -B build-web -DCMAKE_BUILD_TYPE=Release -DRELALG_TESTS=OFF >/dev/null
cmake --build build-web -j2
echo "built build-web/web/index.html"
