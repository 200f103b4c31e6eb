#!/usr/bin/env bash
# End to end under Wayland: the real game as a Wayland client of weston, whose
# X11 backend runs inside Xvfb. Weston gives the game a real seat: pointer and
# key events that xdotool sends to weston's X window reach the game as Wayland
# input, and a screenshot of that window shows weston's output.
#
#   wayland_test.sh GAME IMAGES_DIR [SHOTS_DIR]
#
# GStreamer must find the virtual camera (GST_PLUGIN_PATH, GST_REGISTRY).
# Every server runs with its own XDG_RUNTIME_DIR and is stopped by its PID.
# POINTER_BEFORE_WESTON="X Y" moves the X pointer there before weston starts
# (weston then starts with the pointer inside its window, as on a desktop).
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
# picture's size. Weston places a new window anywhere on the output: the
# window is found by its picture (locate_picture).
SCREEN=800x600
WIDTH=${SCREEN%x*}
HEIGHT=${SCREEN#*x}

echo "weston inside Xvfb"
# One row more than weston's output, below its window: there the pointer can
# leave weston's window (park_pointer). -br: that row is black.
start_xvfb "${WIDTH}x$((HEIGHT + 1))" -br || exit 1
# shellcheck disable=SC2086 # "X Y"
[ -n "${POINTER_BEFORE_WESTON:-}" ] && xdotool mousemove ${POINTER_BEFORE_WESTON}
# No panel, a black background, never blanked; pixman draws without a GPU.
cat >"$work/weston.ini" <<INI
[core]
idle-time=0
[shell]
panel-position=none
background-color=0xff000000
INI
XDG_RUNTIME_DIR=$runtime weston --backend=x11-backend.so --use-pixman --width="$WIDTH" \
  --height="$HEIGHT" --socket=wayland-frostpane --config="$work/weston.ini" >"$SHOTS/weston.log" 2>&1 &
wm_pid=$!
# Ready: its socket is there and its window too; screenshots are of that
# window (SHOT_WINDOW), weston's output alone.
weston_ready() {
  [ -S "$runtime/wayland-frostpane" ] || return 1
  SHOT_WINDOW=$(xdotool search --class '^Weston Compositor$' 2>/dev/null | head -1)
  [ -n "$SHOT_WINDOW" ]
}
if ! wait_until 20 weston_ready; then
  echo "  weston did not start:"
  cat "$SHOTS/weston.log"
  exit 1
fi

# Weston's X11 backend learns where the X pointer is only when it enters
# weston's window; until then weston's own pointer starts at the output's
# top-left and moves by the motions it is sent from there. A pointer that was
# inside before weston listened never entered: weston draws its cursor at the
# top-left and every tap lands off. So the pointer leaves weston's window (into
# the row below) and comes back in near the bottom-right corner, where weston
# draws its cursor out of the picture's way; over weston's window it gives
# weston the keyboard too.
park_pointer() { xdotool mousemove "$((WIDTH / 2))" "$HEIGHT" mousemove "$((WIDTH - 10))" "$((HEIGHT - 10))"; }
CURSOR_BOX="$((WIDTH - 20)),$((HEIGHT - 20)) $((WIDTH - 1)),$((HEIGHT - 1))"
# Parked: weston draws its cursor in the corner and nothing else on the black
# output (no game yet), so it follows the pointer from here on.
cursor_in_corner_only() {
  local image=$SHOTS/wayland_parked.png
  shot wayland_parked || return 1
  ! less_than "$("$IM_CONVERT" "${image}[20x20+$((WIDTH - 20))+$((HEIGHT - 20))]" -colorspace gray -format '%[fx:maxima]' info:)" 0.3 \
    && less_than "$("$IM_CONVERT" "$image" -fill black -draw "rectangle $CURSOR_BOX" -colorspace gray -format '%[fx:maxima]' info:)" 0.08
}
pointer_parked() { park_pointer && cursor_in_corner_only; }
check "weston follows the pointer: its cursor is drawn where it was parked" wait_until 10 pointer_parked

# find_window NAME PICTURE: screenshot NAME shows a 640 x 480 window, black
# around it, where PICTURE matches best; sets window_x, window_y.
window_x=
window_y=
find_window() {
  shot "$1" || return 1
  read -r window_x window_y <<<"$(locate_picture "$SHOTS/$1.png" "$2")"
  [ -n "$window_y" ] && framed_in_black "$SHOTS/$1.png" "640x480+$window_x+$window_y" "$CURSOR_BOX"
}
# window_shows NAME PICTURE WxH+X+Y LIMIT: in screenshot NAME that part of
# the window is within LIMIT of the same part of PICTURE.
window_shows() {
  local w h x y
  IFS='x+' read -r w h x y <<<"$3"
  similar "$SHOTS/$1.png[${w}x$h+$((window_x + x))+$((window_y + y))]" "$2[$3]" "$4"
}
WHOLE=640x480+0+0
BAND=${TOP_BAND//[][]/}
# Taps at window coordinates.
tap_window() { tap "$((window_x + $1))" "$((window_y + $2))"; }

echo "the game as a Wayland client"
# No DISPLAY: the game cannot fall back to X. Weston draws no title bars and
# the game is told not to draw its own, so the window is the picture alone.
env -u DISPLAY XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY=wayland-frostpane QT_QPA_PLATFORM=wayland \
  QT_WAYLAND_DISABLE_WINDOWDECORATION=1 FROSTPANE_VCAM0_PATTERN=snow "$GAME" >"$SHOTS/wayland_game.log" 2>&1 &
game_pid=$!
first_ice() { find_window wayland_start "$ICE" && window_shows wayland_start "$ICE" "$WHOLE" 0.06; }
check "a 640 x 480 window shows the first ice" wait_until 20 first_ice
echo "  the window at $window_x,$window_y"
sleep 0.6 # the game accepts the first icon press half a second after start
# Only weston is an X client: the game's window is a Wayland surface.
no_x_window() { ! xdotool search --name '^Frostpane$' >/dev/null 2>&1; }
check "no X window of the game's" no_x_window

# A tap on the camera icon starts the camera; the snow wipes the top band
# clean to the photograph.
tap_window "${CAMERA_ICON[@]}"
band_clean() { shot "$1" && window_shows "$1" "$PHOTO" "$BAND" 0.05; }
check "a tap starts the camera and the snow wipes the ice" wait_until 20 band_clean wayland_wiped

# F11: the window covers the output, the 4:3 picture filling all of it. The
# band along its top stops short of the top right corner, where the won
# picture's wave target is drawn.
park_pointer
xdotool key F11
"$IM_CONVERT" "$PHOTO" -resize "${SCREEN}!" "$work/photo_full_screen.png"
FULL_BAND="[$((WIDTH * 4 / 5))x75+0+0]"
full_screen() {
  shot wayland_full_screen \
    && similar "$SHOTS/wayland_full_screen.png$FULL_BAND" "$work/photo_full_screen.png$FULL_BAND" 0.06
}
check "F11: the picture fills the screen" wait_until 10 full_screen
# F11 again: a 640 x 480 window, wherever weston puts it, showing the photo
# (the wiped areas stay) or, for its first frame, the whole ice.
xdotool key F11
back_to_window() {
  find_window wayland_window_again "$PHOTO" \
    && { window_shows wayland_window_again "$PHOTO" "$BAND" 0.05 || window_shows wayland_window_again "$ICE" "$WHOLE" 0.06; }
}
check "F11 again: a 640 x 480 window" wait_until 10 back_to_window
echo "  the window at $window_x,$window_y"
check "the next frames show the wiped picture again" wait_until 10 band_clean wayland_wiped_again

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
finish
