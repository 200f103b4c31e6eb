#!/usr/bin/env bash
# What the game costs beside a plain webcam preview, in one run on this
# machine, on the virtual camera (640x480 YUY2 at 30 fps, the moving ball,
# camera on) under Xvfb: the game plays for SECONDS in a full-screen window,
# then a plain GStreamer preview of the same source scaled to the same window
# runs as long. Three screens: 1920x1080, and 3840x2160 both at scale factor 1
# and at scale factor 2 (QT_SCALE_FACTOR, a high-density screen: the same
# device pixels, half the logical size). The CPU share of each (user + system
# time over wall time, 100 % = one core), the game's ratio to the preview, and
# the game's frame statistics are printed.
#   tools/measure_load.sh [SECONDS]      default 10; builds build/ first
# FROSTPANE_GAME=path measures that program instead (another build to compare).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-10}

source tools/ensure_packages.sh
ensure_packages
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build --target frostpane gstfrostpanevcam -j"$(nproc)" >/dev/null

game_program=$(realpath "${FROSTPANE_GAME:-build/frostpane}")
work=$(mktemp -d)
xvfb_pid=
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

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

# start_screen WxH: a fresh X server of that size.
start_screen() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -f "$work/display"
  Xvfb -displayfd 3 -screen 0 "$1x24" -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
  export DISPLAY=":$(cat "$work/display")"
}

# game_share W H SCALE: the game's share in a W x H (device pixels) window
# at that scale factor; its frame statistics go to $work/game-W-SCALE.log.
game_share() {
  local log="$work/game-$1-$3.log" game window
  # Settings of its own, never the user's.
  mkdir -p "$work/config" "$work/system"
  XDG_CONFIG_HOME="$work/config" XDG_CONFIG_DIRS="$work/system" \
    GST_PLUGIN_PATH="$PWD/build/tests/vcam" GST_REGISTRY="$work/registry.bin" \
    FROSTPANE_VCAM0_PATTERN=ball FROSTPANE_VCAM0_CAPS=YUY2:640x480@30 \
    QT_LOGGING_RULES="frostpane.stats.info=true" QT_SCALE_FACTOR="$3" \
    "$game_program" >"$log" 2>&1 &
  game=$!
  window=$(timeout 10 xdotool search --sync --name '^Frostpane$' | head -n 1)
  xdotool windowsize --sync "$window" "$1" "$2" windowmove "$window" 0 0
  sleep 1 # the first tap is taken half a second after start
  xdotool mousemove $(($1 / 2)) $(($2 * 2 / 5)) click 1 # the camera icon
  sleep 2 # the stream settles
  measure "$game"
  xdotool key Escape
  wait "$game" || true
}

# preview_share W H: a plain preview of the same test source, converted and
# scaled to the window.
preview_share() {
  local preview
  gst-launch-1.0 -q videotestsrc is-live=true pattern=ball \
    ! video/x-raw,format=YUY2,width=640,height=480,framerate=30/1 \
    ! videoconvert ! videoscale add-borders=true ! "video/x-raw,width=$1,height=$2" \
    ! ximagesink sync=false >"$work/preview.log" 2>&1 &
  preview=$!
  sleep 2
  measure "$preview"
  kill "$preview"
  wait "$preview" 2>/dev/null || true
}

ratio() { awk -v g="$1" -v p="$2" 'BEGIN { if (p > 0) printf "%.2f", g / p; else print "-" }'; }
statistics() { grep 'frostpane.stats' "$1" | sed 's/^/    /' || echo "    (none reported)"; }

start_screen 1920x1080
hd_game=$(game_share 1920 1080 1)
hd_preview=$(preview_share 1920 1080)
start_screen 3840x2160
uhd_game=$(game_share 3840 2160 1)
uhd_dense=$(game_share 3840 2160 2)
uhd_preview=$(preview_share 3840 2160)

echo "1920x1080:"
echo "  game:    ${hd_game} % of one core"
echo "  preview: ${hd_preview} % of one core"
echo "  ratio:   $(ratio "$hd_game" "$hd_preview")"
echo "3840x2160:"
echo "  game at scale 1: ${uhd_game} % of one core"
echo "  game at scale 2: ${uhd_dense} % of one core ($(ratio "$uhd_dense" "$uhd_game") x scale 1)"
echo "  preview:         ${uhd_preview} % of one core"
echo "  ratio to the preview: $(ratio "$uhd_game" "$uhd_preview") at scale 1, $(ratio "$uhd_dense" "$uhd_preview") at scale 2"
echo "frame statistics:"
echo "  1920x1080:"
statistics "$work/game-1920-1.log"
echo "  3840x2160 at scale 1:"
statistics "$work/game-3840-1.log"
echo "  3840x2160 at scale 2:"
statistics "$work/game-3840-2.log"
