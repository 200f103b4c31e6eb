#!/usr/bin/env bash
# What the game costs beside a plain webcam preview, in one run on this
# machine: the game plays for SECONDS in a 1920x1080 window under Xvfb on the
# virtual camera (640x480 YUY2 at 30 fps, the moving ball, camera on), then a
# plain GStreamer preview of the same source scaled to the same window runs as
# long; the CPU share of each (user + system time over wall time, 100 % = one
# core), their ratio, and the game's frame statistics are printed.
#   tools/measure_load.sh [SECONDS]      default 10; builds build/ first
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-10}

source tools/ensure_packages.sh
ensure_packages
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build --target frostpane gstfrostpanevcam -j"$(nproc)" >/dev/null

work=$(mktemp -d)
xvfb_pid=
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")"

# CPU time of a process in clock ticks: user + system (fields 14 and 15).
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
# measure PID: its CPU share over the next $seconds, in percent of one core.
measure() {
  local before after ticks
  ticks=$(getconf CLK_TCK)
  before=$(cpu_ticks "$1")
  sleep "$seconds"
  after=$(cpu_ticks "$1")
  awk -v a="$before" -v b="$after" -v t="$ticks" -v s="$seconds" 'BEGIN { printf "%.1f", 100 * (b - a) / t / s }'
}

# The game, with settings of its own (never the user's): its window is the
# default 640 x 480. Its frame statistics go to the log every 5 s.
mkdir -p "$work/config" "$work/system"
XDG_CONFIG_HOME="$work/config" XDG_CONFIG_DIRS="$work/system" \
  GST_PLUGIN_PATH="$PWD/build/tests/vcam" GST_REGISTRY="$work/registry.bin" \
  FROSTPANE_VCAM0_PATTERN=ball FROSTPANE_VCAM0_CAPS=YUY2:640x480@30 \
  QT_LOGGING_RULES="frostpane.stats.info=true" \
  ./build/frostpane >"$work/game.log" 2>&1 &
game=$!
window=$(timeout 10 xdotool search --sync --name '^Frostpane$' | head -n 1)
xdotool windowsize --sync "$window" 1920 1080 windowmove "$window" 0 0
sleep 1 # the first tap is taken half a second after start
xdotool mousemove 960 432 click 1 # the camera icon
sleep 2 # the stream settles
game_share=$(measure "$game")
xdotool key Escape
wait "$game" || true

# The plain preview: the same test source, converted and scaled to the window.
gst-launch-1.0 -q videotestsrc is-live=true pattern=ball \
  ! video/x-raw,format=YUY2,width=640,height=480,framerate=30/1 \
  ! videoconvert ! videoscale add-borders=true ! video/x-raw,width=1920,height=1080 \
  ! ximagesink sync=false >"$work/preview.log" 2>&1 &
preview=$!
sleep 2
preview_share=$(measure "$preview")
kill "$preview"
wait "$preview" 2>/dev/null || true

echo "game:    ${game_share} % of one core"
echo "preview: ${preview_share} % of one core"
awk -v g="$game_share" -v p="$preview_share" 'BEGIN { if (p > 0) printf "ratio:   %.2f\n", g / p }'
echo "frame statistics:"
grep 'frostpane.stats' "$work/game.log" | sed 's/^/  /' || echo "  (none reported)"
