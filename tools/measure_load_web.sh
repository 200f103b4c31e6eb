#!/usr/bin/env bash
# The browser edition's CPU while playing, beside a page that only shows the
# camera: Debian's Chromium, headless, on a fake camera playing the ball clip,
# at 640 x 480 and 1920 x 1080. Then the game on a slow device: the CPU
# throttled 10 and 20 times (DevTools protocol) in a 640 x 480, a 1280 x 720
# and a portrait tablet window, with the frames stepped per second, the
# largest animation-frame gap and the latency from a frame's capture to the
# end of its step (web/tools/measure_throttled.mjs). Run on a quiet machine:
#   tools/measure_load_web.sh [SECONDS] [THROTTLED_SECONDS]
#   ONLY=load or ONLY=throttled runs one of the two parts.
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
if [ "${ONLY:-}" != throttled ]; then
  node tools/measure_load.mjs ../build-wasm/site "$clips/ball.y4m" "${1:-15}"
fi
if [ "${ONLY:-}" != load ]; then
  node tools/measure_throttled.mjs ../build-wasm/site "$clips/ball.y4m" "${2:-10}"
fi
