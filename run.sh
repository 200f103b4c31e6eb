#!/usr/bin/env bash
# Builds Frostpane (Release) and starts the game. Installs what is missing.
#   ./run.sh                           play with the computer's webcam
#   ./run.sh --virtual-camera [KIND]   play without a webcam, on the test
#                                      camera: ball (default), snow, black, smpte
#   ./run.sh --web [--port N]          build the browser edition and serve it
#                                      at http://127.0.0.1:8080/ (or port N)
set -euo pipefail
cd "$(dirname "$0")"

usage="usage: $0 [--virtual-camera [ball|snow|black|smpte] | --web [--port N]]"
virtual_camera=
web=
port=8080
case "${1:-}" in
  "") ;;
  --virtual-camera) virtual_camera=${2:-ball} ;;
  --web)
    web=1
    if [ "${2:-}" = --port ]; then
      port=${3:-}
      if ! [[ "$port" =~ ^[0-9]+$ ]] || [ "$port" -lt 1 ] || [ "$port" -gt 65535 ]; then
        echo "$usage" >&2
        exit 2
      fi
    elif [ -n "${2:-}" ]; then
      echo "$usage" >&2
      exit 2
    fi
    ;;
  *) echo "$usage" >&2; exit 2 ;;
esac

if [ -n "$web" ]; then
  source tools/ensure_packages.sh
  ensure_packages
  # Emscripten's optimizer needs Debian's node modules.
  export NODE_PATH=/usr/share/nodejs
  emcmake cmake -S . -B build-wasm -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build build-wasm --target frostpane_site -j"$(nproc)"
  exec python3 web/serve.py --port "$port" build-wasm/site
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "run.sh: no display found (neither DISPLAY nor WAYLAND_DISPLAY is set); start it from a desktop session." >&2
  exit 1
fi

source tools/ensure_packages.sh
ensure_packages

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
if [ -n "$virtual_camera" ]; then
  cmake --build build --target frostpane gstfrostpanevcam -j"$(nproc)"
  # The game itself reads no settings; these only tell GStreamer where the
  # test camera lives and what it shows.
  export GST_PLUGIN_PATH="$PWD/build/tests/vcam"
  export GST_REGISTRY="$PWD/build/tests/vcam/gst-registry.bin"
  export FROSTPANE_VCAM0_PATTERN="$virtual_camera"
else
  cmake --build build --target frostpane -j"$(nproc)"
fi
exec ./build/frostpane
