#!/usr/bin/env bash
# Builds Frostpane (Release) and starts the game. Installs what is missing.
#   ./run.sh                           play with the computer's webcam
#   ./run.sh --virtual-camera [KIND]   play without a webcam, on the test
#                                      camera: ball (default), snow, black, smpte
set -euo pipefail
cd "$(dirname "$0")"

virtual_camera=
case "${1:-}" in
  "") ;;
  --virtual-camera) virtual_camera=${2:-ball} ;;
  *) echo "usage: $0 [--virtual-camera [ball|snow|black|smpte]]" >&2; exit 2 ;;
esac

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
