#!/usr/bin/env bash
# How long Escape takes to end the game with the camera on, on this machine:
# the game under Xvfb on the virtual camera (the moving ball) with a quick
# disk (a settings folder in /tmp), camera tapped on and frames arriving,
# then Escape; the time from the key to the process's end, RUNS times (fresh
# settings each time). Prints each time and the median.
#   tools/measure_exit.sh [RUNS] [GAME]      default 10, build/frostpane
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-10}
game=$(realpath "${2:-build/frostpane}")
vcam=$PWD/build/tests/vcam

work=$(mktemp -d)
xvfb_pid=
game_pid=
cleanup() {
  for pid in $game_pid $xvfb_pid; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

now_ms() { echo $(($(date +%s%N) / 1000000)); }
# until_ SECONDS COMMAND...: COMMAND until it succeeds, for at most SECONDS.
until_() {
  local deadline=$(($(now_ms) + $1 * 1000))
  shift
  until "$@"; do
    [ "$(now_ms)" -ge "$deadline" ] && return 1
    sleep 0.02
  done
}
gone() { ! kill -0 "$game_pid" 2>/dev/null; }

Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp -noreset 3>"$work/display" >/dev/null 2>&1 &
xvfb_pid=$!
until_ 10 test -s "$work/display"
export DISPLAY=":$(cat "$work/display")"

times=()
for run in $(seq "$runs"); do
  rm -rf "$work/home" && mkdir -p "$work/home/config" && mkdir -m 700 "$work/home/runtime"
  env -u QT_QPA_PLATFORM GST_PLUGIN_PATH="$vcam" GST_REGISTRY="$vcam/gst-registry.bin" \
    XDG_CONFIG_HOME="$work/home/config" XDG_RUNTIME_DIR="$work/home/runtime" \
    "$game" >"$work/game.log" 2>&1 &
  game_pid=$!
  timeout 15 xdotool search --sync --name '^Frostpane$' >/dev/null
  sleep 0.6 # the game takes the first press half a second after its start
  xdotool mousemove 320 192 click 1 # the camera button
  # The camera is on once the picture changes under the moving ball.
  import -window root "$work/a.png"
  moved() { import -window root "$work/b.png"; ! compare -metric AE "$work/a.png" "$work/b.png" null: 2>/dev/null; }
  until_ 15 moved
  t0=$(now_ms)
  xdotool key Escape
  until_ 15 gone
  ms=$(($(now_ms) - t0))
  wait "$game_pid" || true
  game_pid=
  times+=("$ms")
  echo "run $run: ${ms} ms"
done
printf '%s\n' "${times[@]}" | sort -n | awk '{ a[NR] = $1 } END { m = NR % 2 ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2; printf "median of %d: %d ms (min %d, max %d)\n", NR, m, a[1], a[NR] }'
