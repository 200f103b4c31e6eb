#!/usr/bin/env bash
# The browser edition's CPU while playing, beside a page that only shows the
# camera: Debian's Chromium, headless, on a fake camera playing the ball clip,
# at 640 x 480 and 1920 x 1080. Run on a quiet machine:
#   tools/measure_load_web.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/ensure_packages.sh
ensure_packages
ensure_web_packages
NODE_PATH=/usr/share/nodejs emcmake cmake -S . -B build-wasm -DCMAKE_BUILD_TYPE=Release >/dev/null
NODE_PATH=/usr/share/nodejs cmake --build build-wasm -j"$(nproc)" >/dev/null
clips=$(mktemp -d)
trap 'rm -rf "$clips"' EXIT
node -e "import('./web/tests/support/clips.js').then((m) => m.makeClips('$clips', ['ball']))"
cd web
node tools/measure_load.mjs ../build-wasm/site "$clips/ball.y4m" "${1:-15}"
