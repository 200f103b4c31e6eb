#!/usr/bin/env bash
# End to end, by ear: the sound server goes away while the game plays and
# comes back at the same address, as when a desktop's PulseAudio or PipeWire
# is restarted or crashes. Whatever the gap, the crackle is heard again
# within 5 s of the server's return.
#
#   sound_return_test.sh GAME IMAGES_DIR [SHOTS_DIR]
#
# GStreamer must find the virtual camera (GST_PLUGIN_PATH, GST_REGISTRY).
# Recordings (.wav) are kept in SHOTS_DIR.
set -uo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
source "$(dirname "${BASH_SOURCE[0]}")/pulse.sh"
trap 'cleanup; stop_pulse' EXIT

# As in sound_test.sh: what a null sink gives back for nothing played.
SILENT=0.0005

now_ms() { echo $(($(date +%s%N) / 1000000)); }

# loud_at NAME: the time (s) into recording NAME, so far, at which a 50 ms
# stretch is louder than silence (RMS); fails while there is none.
loud_at() {
  python3 - "$SHOTS/$1.raw" "$SILENT" <<'EOF'
import array, math, sys
data = open(sys.argv[1], 'rb').read()
samples = array.array('h')
samples.frombytes(data[:len(data) // 4 * 4])  # whole stereo frames only
window = 2 * 2400  # 50 ms of 48 kHz stereo
threshold = float(sys.argv[2]) * 32768
for start in range(0, len(samples) - window + 1, window):
    if math.sqrt(sum(s * s for s in samples[start:start + window]) / window) > threshold:
        print(f'{start / 2 / 48000:.2f}')
        sys.exit(0)
sys.exit(1)
EOF
}
heard() { loud_at "$1" >/dev/null; }

# record NAME SECONDS: a recording of that long, then its RMS on stdout.
record() {
  start_recording "$1"
  sleep "$2"
  stop_recording
  rms "$1"
}
crackle_heard() { less_than "$SILENT" "$(record "$1" 1)"; }

escape_ends_with_zero() {
  xdotool key Escape
  local status
  wait "$game_pid"
  status=$?
  game_pid=
  test "$status" -eq 0
}

# Name, the signal that ends the server, and how long it stays away (s).
cases=(
  "stopped for 5 s|TERM|5"
  "stopped for 20 s|TERM|20"
  "killed (SIGKILL), back after 5 s|KILL|5"
)

for row in "${cases[@]}"; do
  IFS='|' read -r name signal gap <<<"$row"
  echo "the sound server $name"
  start_pulse
  # The moving ball keeps wiping ice that grows back behind it, so its
  # crackle goes on for as long as the camera runs. (The snow cleans the
  # whole picture within seconds; what it wipes after that is heard at an RMS
  # of about 0.0002, under SILENT.)
  start_game $(pulse_env) FROSTPANE_VCAM0_PATTERN=ball
  tap "${CAMERA_ICON[@]}"
  check "the crackle is heard" wait_until 20 crackle_heard before
  kill_pulse "$signal"
  check "the game says the sound is gone" wait_until 10 logged 'sound output stopped'
  # The gap is what is tested, not a guess at how long something takes.
  sleep "$gap"
  back=$(now_ms)
  launch_pulse
  answered=$(now_ms)
  start_recording back
  recorded=$(now_ms)
  WAIT_STEP=0.1 wait_until 8 heard back
  at=$(loud_at back)
  stop_recording
  if [ -n "$at" ]; then
    since=$(awk -v at="$at" -v r="$recorded" -v b="$back" 'BEGIN { printf "%.2f", at + (r - b) / 1000 }')
    echo "  heard ${since} s after the server was started again (it answered after $((answered - back)) ms)"
    check "the crackle is heard within 5 s of the server's return" less_than "$since" 5
  else
    check "the crackle is heard within 5 s of the server's return" false
  fi
  check "and goes on" crackle_heard after
  check "the log says it is back" logged 'sound output is back'
  lines=$(grep -c 'frostpane.sound' "$SHOTS/game.log")
  echo "  sound lines in the log: $lines"
  # Gone once, back once: not a line for every attempt in between.
  check "two lines in the log, not one a try" test "$lines" -eq 2
  check "Escape ends it with status 0" escape_ends_with_zero
  cp "$SHOTS/game.log" "$SHOTS/game_${signal}_${gap}.log"
done

finish
