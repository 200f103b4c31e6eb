#!/usr/bin/env bash
# End to end under Wayland: the real game as a Wayland client of weston, whose
# X11 backend runs inside Xvfb. Weston gives the game a real seat: pointer and
# key events that xdotool sends to weston's X window reach the game as Wayland
# input, and a screenshot of the X display shows weston's output.
#
#   wayland_test.sh GAME IMAGES_DIR [SHOTS_DIR]
#
# GStreamer must find the virtual camera (GST_PLUGIN_PATH, GST_REGISTRY).
# Every server runs with its own XDG_RUNTIME_DIR and is stopped by its PID.
set -uo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

for tool in Xvfb weston xdotool; do
  command -v "$tool" >/dev/null || { echo "missing $tool (see tools/ensure_packages.sh)"; exit 1; }
done

# Weston is this screen's window manager: cleanup() stops it as one.
work=$(mktemp -d)
runtime=$work/runtime
mkdir -m 700 "$runtime"
trap 'cleanup; rm -rf "$work"' EXIT

# The output is 800 x 600 and the window 640 x 480, so full screen changes the
# picture's size. Weston places a new window anywhere on the output: where it
# is comes from the screenshot, as the box of everything that is not the black
# background ("WxH+X+Y").
SCREEN=800x600
# window_box NAME: "W H X Y" of what is not black in screenshot NAME, the
# bottom-right corner left out: the parked pointer's cursor is drawn there.
# So is the top-left one: until weston has seen the pointer move it draws its
# cursor there, and when it first sees one depends on the machine's pace. A
# window reaching into that corner still has the rest of its edges in the box.
window_box() {
  "$IM_CONVERT" "$SHOTS/$1.png[$((${SCREEN%x*} - 20))x$((${SCREEN#*x} - 20))+0+0]" \
    -fill black -draw 'rectangle 0,0 31,31' -fuzz 8% -trim \
    -format '%w %h %X %Y' info: 2>/dev/null | tr -d +
}
# is_window NAME: screenshot NAME shows a 640 x 480 window (as much of it as
# lies outside the corner) and black around it; sets window_x, window_y.
window_x=
window_y=
is_window() {
  local w h
  read -r w h window_x window_y <<<"$(window_box "$1")"
  [ -n "$window_y" ] || return 1
  local want_w=$((${SCREEN%x*} - 20 - window_x)) want_h=$((${SCREEN#*x} - 20 - window_y))
  [ "$want_w" -gt 640 ] && want_w=640
  [ "$want_h" -gt 480 ] && want_h=480
  [ "$w" = "$want_w" ] && [ "$h" = "$want_h" ]
}
# A fresh screenshot NAME in which a 640 x 480 window shows the first ice.
shows_window() {
  shot "$1" && is_window "$1" && similar "$SHOTS/$1.png[640x480+$window_x+$window_y]" "$ICE" 0.06
}
tap() {
  xdotool mousemove "$((window_x + $1))" "$((window_y + $2))" click 1
  sleep 0.6 # the game accepts one press per half second
}

PHOTO="$IMAGES/frostpane_001.png"
ICE="$IMAGES/frostpane_001_ice.png"

echo "weston inside Xvfb"
display_file=$work/display
Xvfb -displayfd 3 -screen 0 "${SCREEN}x24" -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do [ -s "$display_file" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$display_file")"
# No panel, a black background, never blanked; pixman draws without a GPU.
cat >"$work/weston.ini" <<INI
[core]
idle-time=0
[shell]
panel-position=none
background-color=0xff000000
INI
XDG_RUNTIME_DIR=$runtime weston --backend=x11-backend.so --use-pixman --width="${SCREEN%x*}" \
  --height="${SCREEN#*x}" --socket=wayland-frostpane --config="$work/weston.ini" >"$SHOTS/weston.log" 2>&1 &
wm_pid=$!
weston_ready() { [ -S "$runtime/wayland-frostpane" ] && xdotool search --class '^Weston Compositor$' >/dev/null 2>&1; }
if ! wait_until 20 weston_ready; then
  echo "  weston did not start:"
  cat "$SHOTS/weston.log"
  exit 1
fi
# The pointer over weston's window, which gives it the keyboard too, in the
# corner, where weston draws the cursor off the output and out of the way of
# the box of the game's window.
# A move to the pixel beside first: X reports no motion to where the pointer
# already is.
park_pointer() {
  xdotool mousemove "$((${SCREEN%x*} - 2))" "$((${SCREEN#*x} - 2))"
  xdotool mousemove "$((${SCREEN%x*} - 1))" "$((${SCREEN#*x} - 1))"
}

echo "the game as a Wayland client"
# No DISPLAY: the game cannot fall back to X. Weston draws no title bars and
# the game is told not to draw its own, so the window is the picture alone.
env -u DISPLAY XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY=wayland-frostpane QT_QPA_PLATFORM=wayland \
  QT_WAYLAND_DISABLE_WINDOWDECORATION=1 FROSTPANE_VCAM0_PATTERN=snow "$GAME" >"$SHOTS/wayland_game.log" 2>&1 &
game_pid=$!
check "a 640 x 480 window shows the first ice" wait_until 20 shows_window wayland_start
echo "  the window at $window_x,$window_y"
# By now weston's window takes input: the pointer parked again moves its
# cursor out of the way, and the taps below reach the game.
park_pointer
sleep 0.6 # the game accepts the first icon press half a second after start
# Only weston is an X client: the game's window is a Wayland surface.
no_x_window() { ! xdotool search --name '^Frostpane$' >/dev/null 2>&1; }
check "no X window of the game's" no_x_window

# A tap on the camera icon (in the middle, 320 x 192 into the window) starts
# the camera; the snow wipes the top band clean to the photograph.
tap 320 192
TOP_BAND='[640x60+0+0]'
band_clean() {
  shot wayland_wiped && "$IM_CONVERT" "$SHOTS/wayland_wiped.png" -crop "640x60+$window_x+$window_y" +repage "$work/band.png" \
    && similar "$work/band.png" "$PHOTO$TOP_BAND" 0.05
}
check "a tap starts the camera and the snow wipes the ice" wait_until 20 band_clean

# F11: the window covers the output, the 4:3 picture filling all of it.
park_pointer
xdotool key F11
"$IM_CONVERT" "$PHOTO" -resize '800x600!' "$work/photo_800x600.png"
full_screen() { shot wayland_full_screen && similar "$SHOTS/wayland_full_screen.png[800x75+0+0]" "$work/photo_800x600.png[800x75+0+0]" 0.06; }
check "F11: the picture fills the screen" wait_until 10 full_screen
xdotool key F11
back_to_window() { shot wayland_window_again && is_window wayland_window_again; }
check "F11 again: a 640 x 480 window" wait_until 10 back_to_window
# A new size shows the whole ice until the next frame; the wiped areas stay.
check "the next frames show the wiped picture again" wait_until 10 band_clean

xdotool key Escape
if wait_until 10 game_gone; then
  status=0
  wait "$game_pid" || status=$?
  game_pid=
  check "Escape ends the game with status 0 (got $status)" test "$status" -eq 0
else
  check "Escape ends the game" false
fi

if [ "$failed" -ne 0 ]; then
  echo "the game's output:"
  cat "$SHOTS/wayland_game.log"
fi
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
