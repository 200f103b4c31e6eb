#!/usr/bin/env bash
# The desktop game's sound on this machine: the game under Xvfb on the
# virtual camera, playing into a private PulseAudio server's null sink.
# Prints
#  - the stream's latency as the server reports it (its buffer and the sink's),
#  - the time from a tap (xdotool's click on the camera icon) to its tick in a
#    recording of the sink, RUNS times, and the median: the game's handling
#    of the click is in it, and the recorder's own start is not (a recording
#    starts a little after parec is started), so compare builds with it
#    rather than read it as the tick's absolute delay,
#  - the sound thread's CPU time (ms per second of play, over 10 s) while the
#    ball wipes with the sound on, with it switched off, and with no server,
#  - the time Escape takes to end the game while the sound plays, RUNS times,
#    and the median, and the sound's own part of it: the SoundOutputStop
#    benchmark (SoundOutput's destruction while playing on the server), when
#    GAME's build folder has bench/frostpane_bench.
#   tools/measure_sound.sh [GAME] [RUNS]      default build/frostpane, 5
# GAME's build folder must hold the virtual camera (tests/vcam).
set -uo pipefail
cd "$(dirname "$0")/.."
game=$(realpath "${1:-build/frostpane}")
runs=${2:-5}
vcam=$(dirname "$game")/tests/vcam
work=$(mktemp -d)
export GST_PLUGIN_PATH=$vcam GST_REGISTRY=$vcam/gst-registry.bin

source tests/e2e/common.sh "$game" assets/images "$work"
source tests/e2e/pulse.sh
trap 'cleanup; stop_pulse; rm -rf "$work"' EXIT

now_ms() { echo $(($(date +%s%N) / 1000000)); }
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }'; }

# onset NAME: seconds into recording NAME of its first sample louder than
# 0.001 (-60 dBFS); fails when there is none.
onset() {
  python3 - "$SHOTS/$1.raw" <<'EOF'
import array, sys
data = open(sys.argv[1], 'rb').read()
samples = array.array('h')
samples.frombytes(data[:len(data) // 4 * 4])
for i, s in enumerate(samples):
    if abs(s) > 33:
        print(f'{i / 2 / 48000:.4f}')
        sys.exit(0)
sys.exit(1)
EOF
}

# The game's thread named "frostpane sound", its user + system time in ms.
sound_thread_ms() {
  local task
  for task in /proc/"$game_pid"/task/*; do
    if [ "$(cat "$task/comm" 2>/dev/null)" = "frostpane sound" ]; then
      awk -v hz="$(getconf CLK_TCK)" '{ print ($14 + $15) * 1000 / hz }' "$task/stat"
      return 0
    fi
  done
  return 1
}
# thread_load NAME VAR=VALUE...: the game with that environment on the ball,
# camera on; prints the sound thread's ms of CPU per second over 10 s.
thread_load() {
  local name=$1
  shift
  start_game "$@" FROSTPANE_VCAM0_PATTERN=ball || return 1
  tap "${CAMERA_ICON[@]}"
  wait_until 10 camera_icon_is on "load_$name" || { echo "  $name: the camera did not start"; return 1; }
  local before after
  before=$(sound_thread_ms) || { echo "  $name: no sound thread"; return 1; }
  sleep 10 # the span measured
  after=$(sound_thread_ms)
  echo "  $name: $(awk -v a="$after" -v b="$before" 'BEGIN { printf "%.1f", (a - b) / 10 }') ms per second"
}

start_pulse || exit 1

echo "latency, as the server reports the game's stream"
start_game $(pulse_env) FROSTPANE_VCAM0_PATTERN=black || exit 1
tap "${CAMERA_ICON[@]}"
wait_until 10 camera_icon_is on latency || echo "  the camera did not start"
env $(pulse_env) pactl list sink-inputs | grep -E 'Sample Specification|Buffer Latency|Sink Latency' | sed 's/^\s*/  /'

echo "tap to tick (black camera: silent but for the tick)"
ticks=()
for run in $(seq "$runs"); do
  start_recording "tick_$run"
  recording_at=$(now_ms)
  sleep 0.7 # the recorder runs, and the game takes a press again
  tap_at=$(now_ms)
  xdotool mousemove "${CAMERA_ICON[@]}" click 1
  sleep 0.7
  stop_recording
  if at=$(onset "tick_$run"); then
    ms=$(awk -v at="$at" -v r="$recording_at" -v t="$tap_at" 'BEGIN { printf "%d", at * 1000 + r - t }')
    echo "  run $run: $ms ms"
    ticks+=("$ms")
  else
    echo "  run $run: no tick heard"
  fi
done
[ ${#ticks[@]} -gt 0 ] && echo "  median $(printf '%s\n' "${ticks[@]}" | median) ms"

echo "the sound thread's CPU"
thread_load "sound on" $(pulse_env)
SETTINGS=$(printf '[game]\nsound=false') thread_load "sound off" $(pulse_env)
thread_load "no server" PULSE_SERVER=unix:/nonexistent/pulse

echo "Escape while the sound plays"
exits=()
for run in $(seq "$runs"); do
  start_game $(pulse_env) FROSTPANE_VCAM0_PATTERN=ball || continue
  tap "${CAMERA_ICON[@]}"
  wait_until 10 camera_icon_is on "exit_$run" || continue
  key_at=$(now_ms)
  xdotool key Escape
  wait "$game_pid"
  gone_at=$(now_ms)
  game_pid=
  echo "  run $run: $((gone_at - key_at)) ms"
  exits+=("$((gone_at - key_at))")
done
[ ${#exits[@]} -gt 0 ] && echo "  median $(printf '%s\n' "${exits[@]}" | median) ms"

bench=$(dirname "$game")/bench/frostpane_bench
if [ -x "$bench" ]; then
  echo "SoundOutput's destruction while it plays (benchmark)"
  env $(pulse_env) "$bench" --benchmark_filter=SoundOutputStop 2>/dev/null | grep '^SoundOutputStop' | sed 's/^/  /'
fi
