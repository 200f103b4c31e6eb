#!/usr/bin/env bash
# Builds Frostpane (Release) and starts the game. Installs what is missing.
set -euo pipefail
cd "$(dirname "$0")"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "run.sh: no display found (neither DISPLAY nor WAYLAND_DISPLAY is set); start it from a desktop session." >&2
  exit 1
fi

source tools/ensure_packages.sh
ensure_packages

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build --target frostpane -j"$(nproc)"
exec ./build/frostpane
