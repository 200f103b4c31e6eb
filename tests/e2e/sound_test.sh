#!/usr/bin/env bash
# End to end, by ear: the real game in a real X window on the virtual webcam,
# playing into a private PulseAudio server whose null sink is recorded and
# measured with sox.
#
#   sound_test.sh GAME IMAGES_DIR [SHOTS_DIR]
#
# GStreamer must find the virtual camera (GST_PLUGIN_PATH, GST_REGISTRY).
# Recordings (.wav) and spectrograms are kept in SHOTS_DIR.
set -uo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
source "$(dirname "${BASH_SOURCE[0]}")/pulse.sh"
trap 'cleanup; stop_pulse' EXIT

# Silence is what a null sink gives back for nothing played: exact zeros, or
# at most a rounding step of 16-bit samples.
SILENT=0.0005

# record NAME SECONDS: a recording of that long (the length is the point),
# then its RMS on stdout.
record() {
  start_recording "$1"
  sleep "$2"
  stop_recording
  rms "$1"
}
# quiet_now: half a second of recording is silent.
quiet_now() {
  local level
  level=$(record settle 0.5)
  [ -n "$level" ] && less_than "$level" "$SILENT"
}

escape_ends_with_zero() {
  xdotool key Escape
  local status
  wait "$game_pid"
  status=$?
  game_pid=
  echo "  exit status $status"
  test "$status" -eq 0
}

ICE_BAND='[640x60+0+0]'
ice_partly_gone() { shot "$1" && less_than 0.03 "$(rmse "$SHOTS/$1.png$ICE_BAND" "$ICE$ICE_BAND")"; }

echo "a still camera is silent"
start_pulse
start_game $(pulse_env) FROSTPANE_VCAM0_PATTERN=black
tap "${CAMERA_ICON[@]}"
check "the camera runs" wait_until 10 camera_icon_is on quiet_on
check "the tap's own tick fades" wait_until 5 quiet_now
quiet=$(record quiet 2)
echo "  RMS $quiet"
check "nothing is heard" less_than "$quiet" "$SILENT"

echo "the moving ball is heard"
start_game $(pulse_env) FROSTPANE_VCAM0_PATTERN=ball
tap "${CAMERA_ICON[@]}"
check "the ball wipes" wait_until 20 ice_partly_gone ball_wipes
ball=$(record ball 3)
echo "  RMS $ball, peak $(peak ball)"
check "the crackle is heard" less_than 0.003 "$ball"
check "and never clips" less_than "$(peak ball)" 0.99
sox "$SHOTS/ball.wav" -n remix - spectrogram -o "$SHOTS/ball_spectrogram.png" 2>/dev/null

echo "the banner brings the chime"
start_game $(pulse_env) FROSTPANE_VCAM0_PATTERN=snow
tap "${CAMERA_ICON[@]}"
banner_on() { shot snow_banner && different "$SHOTS/snow_banner.png[640x175+0+152]" "$PHOTO[640x175+0+152]" 0.12; }
check "the banner comes" wait_until 20 banner_on
# Once everything is clean the snow wipes no ice, so the crackle is over
# within a few frames: what is heard now is the chime ringing out.
chime=$(record chime 1.5)
echo "  RMS $chime, peak $(peak chime)"
check "a chime is heard" less_than 0.002 "$chime"
sox "$SHOTS/chime.wav" -n remix - spectrogram -o "$SHOTS/chime_spectrogram.png" 2>/dev/null
# The chime rings out for its own length, then the quiet that follows is heard.
sleep 1.5
after=$(record after_chime 1.5)
echo "  RMS afterwards $after"
# The snow leaves specks of ice that it wipes now and then: a faint crackle,
# far below a chime.
check "once only: no second chime while the banner stays" less_than "$after" "$(awk -v c="$chime" 'BEGIN { print c / 5 }')"

echo "the sound switched off: the ball wipes in silence"
SETTINGS=$(printf '[game]\nsound=false') start_game $(pulse_env) FROSTPANE_VCAM0_PATTERN=ball
tap "${CAMERA_ICON[@]}"
check "the ball wipes" wait_until 20 ice_partly_gone switched_off
off=$(record switched_off 2)
echo "  RMS $off"
check "nothing is heard" less_than "$off" "$SILENT"

echo "no sound server: the game plays silently"
stop_pulse
start_game PULSE_SERVER=unix:/nonexistent/pulse FROSTPANE_VCAM0_PATTERN=ball
tap "${CAMERA_ICON[@]}"
check "the ball wipes" wait_until 20 ice_partly_gone no_server
said_once() { [ "$(grep -c 'frostpane.sound' "$SHOTS/game.log")" -eq 1 ]; }
check "the log says so once" wait_until 5 said_once
check "Escape ends it with status 0" escape_ends_with_zero

echo "the sound server goes away while the game plays"
start_pulse
start_game $(pulse_env) FROSTPANE_VCAM0_PATTERN=ball
tap "${CAMERA_ICON[@]}"
check "the ball wipes" wait_until 20 ice_partly_gone server_before
stop_pulse
check "the game notices" wait_until 10 logged 'sound output stopped'
check "the game plays on" wait_until 10 moving server_gone
check "Escape ends it with status 0" escape_ends_with_zero

finish
