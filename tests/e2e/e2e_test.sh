#!/usr/bin/env bash
# End to end: the real game binary in a real X window (Xvfb) on the virtual
# webcam, driven by pointer and key events (xdotool), judged on screenshots.
#
#   e2e_test.sh GAME IMAGES_DIR [SHOTS_DIR]
#
# GStreamer must find the virtual camera (GST_PLUGIN_PATH, GST_REGISTRY); the
# FROSTPANE_VCAM* variables of each scenario configure it. Screenshots are kept
# in SHOTS_DIR (default: a temporary folder).
set -uo pipefail

GAME=$1
IMAGES=$2
SHOTS=${3:-$(mktemp -d)}
mkdir -p "$SHOTS"

IM_CONVERT=/usr/bin/convert-im6.q16; [ -x "$IM_CONVERT" ] || IM_CONVERT=/usr/bin/convert
IM_COMPARE=/usr/bin/compare-im6.q16; [ -x "$IM_COMPARE" ] || IM_COMPARE=/usr/bin/compare
IM_IMPORT=/usr/bin/import-im6.q16; [ -x "$IM_IMPORT" ] || IM_IMPORT=/usr/bin/import

passed=0
failed=0
xvfb_pid=
wm_pid=
game_pid=
game_home=

# The window is 640 x 480 on a 640 x 480 screen, so screen = window pixels.
# Tool icons sit at fixed fractions of the window.
CAMERA_ICON=(320 192)
SWITCH_ICON=(256 96)
SETTINGS_ICON=(448 192)
PREVIOUS_ICON=(256 288)
EMPTY_SPOT=(600 440)
BAR_SPOT=(26 441)

cleanup() {
  [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null
  [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  wait 2>/dev/null
  [ -n "$game_home" ] && rm -rf "$game_home"
  game_pid=
  game_home=
  wm_pid=
  xvfb_pid=
}
trap cleanup EXIT

check() {
  local name=$1
  shift
  if "$@"; then
    echo "  ok: $name"
    passed=$((passed + 1))
  else
    echo "  FAILED: $name"
    failed=$((failed + 1))
  fi
}

# start_game VAR=VALUE...: a fresh X server and the game with that camera.
# SCREEN_SIZE (WxH, default 640x480) sets the screen; WINDOW_MANAGER=openbox
# runs that window manager before the game starts (without one, the window has
# no frame and no full screen). Each game has settings and runtime folders of
# its own, never the user's: SETTINGS (the text of a settings file) is its
# user settings file, GAME_ARGS its command line.
start_game() {
  cleanup
  game_home=$(mktemp -d)
  mkdir -p "$game_home/config/frostpane" "$game_home/system"
  mkdir -m 700 "$game_home/runtime"
  [ -n "${SETTINGS:-}" ] && printf '%s\n' "$SETTINGS" >"$game_home/config/frostpane/frostpane.conf"
  local display_file
  display_file=$(mktemp)
  # -noreset: a game that ends (or is killed) leaves the server up for the next.
  Xvfb -displayfd 3 -screen 0 "${SCREEN_SIZE:-640x480}x24" -nolisten tcp -noreset 3>"$display_file" >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 50); do [ -s "$display_file" ] && break; sleep 0.1; done
  export DISPLAY=":$(cat "$display_file")"
  rm -f "$display_file"
  if [ -n "${WINDOW_MANAGER:-}" ]; then
    "$WINDOW_MANAGER" --sm-disable >"$SHOTS/window_manager.log" 2>&1 &
    wm_pid=$!
    # A window manager announces itself on the root window once it runs.
    if ! wait_until 10 window_manager_runs; then
      echo "  the window manager did not start"
      return 1
    fi
  fi
  # A real X window: never the offscreen platform the unit tests use.
  # shellcheck disable=SC2086 # GAME_ARGS is a list of words
  env -u QT_QPA_PLATFORM XDG_CONFIG_HOME="$game_home/config" XDG_CONFIG_DIRS="$game_home/system" \
    XDG_RUNTIME_DIR="$game_home/runtime" "$@" "$GAME" ${GAME_ARGS:-} >"$SHOTS/game.log" 2>&1 &
  game_pid=$!
  game_started=$SECONDS
  if ! timeout 10 xdotool search --sync --name '^Frostpane$' >/dev/null; then
    echo "  the window did not appear"
    return 1
  fi
  sleep 0.6 # the game accepts the first icon press half a second after start
}

tap() {
  xdotool mousemove "$1" "$2" click 1
  sleep 0.6 # the game accepts one press per half second
}

# wait_until SECONDS COMMAND...: runs COMMAND until it succeeds or the time is
# up; the game's pace on a busy machine decides how long, not a fixed sleep.
wait_until() {
  local limit=$1
  shift
  local deadline=$((SECONDS + limit))
  until "$@"; do
    [ "$SECONDS" -ge "$deadline" ] && return 1
    sleep 0.2
  done
}

window_manager_runs() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }

# The game's window as "WxH+X+Y" on the screen (without the frame a window
# manager adds). With a window manager the name also labels a hidden 1 x 1
# window of Qt's, so only a visible one is taken.
game_window() { xdotool search --onlyvisible --name '^Frostpane$' | head -1; }
window_geometry() {
  xwininfo -id "$1" | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
    /^ *Width:/ { w = $NF } /^ *Height:/ { h = $NF } END { print w "x" h "+" x "+" y }'
}
window_is() { [ "$(window_geometry "$1")" = "$2" ]; }
window_size_is() { case "$(window_geometry "$1")" in "$2"+*) return 0 ;; *) return 1 ;; esac; }

shot() { "$IM_IMPORT" -window root "$SHOTS/$1.png"; }

# Root-mean-square difference, 0..1, of two images or crops (file[WxH+X+Y]).
rmse() {
  "$IM_COMPARE" -metric RMSE "$1" "$2" null: 2>&1 | sed -n 's/.*(\(.*\)).*/\1/p'
}
less_than() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a < b) }'; }
similar() { less_than "$(rmse "$1" "$2")" "$3"; }
different() { ! less_than "$(rmse "$1" "$2")" "$3"; }

# shows NAME CROP IMAGE LIMIT: a fresh screenshot NAME whose CROP is within
# LIMIT of IMAGE's.
shows() { shot "$1" && similar "$SHOTS/$1.png$2" "$3$2" "$4"; }

# moving NAME: two screenshots a second apart differ: frames still arrive.
moving() {
  shot "$1_a" && sleep 1 && shot "$1_b" && different "$SHOTS/$1_a.png" "$SHOTS/$1_b.png" 0.002
}
# camera_icon_is on|off NAME: a fresh screenshot NAME whose camera icon says
# so, told by a spot of its face (green when on, grey when off), whatever
# the picture behind the icon.
camera_icon_is() {
  shot "$2" || return 1
  if [ "$1" = off ]; then near_colour "$SHOTS/$2.png" 300 192 128 137 146
  else near_colour "$SHOTS/$2.png" 300 192 55 155 64; fi
}
# until_game_time SECONDS: waits until the game has run that long (the
# virtual camera's timed events count from its start).
until_game_time() { while [ $((SECONDS - game_started)) -lt "$1" ]; do sleep 0.2; done; }

# The colour at a pixel as "R G B".
pixel() {
  "$IM_CONVERT" "$1" -crop "1x1+$2+$3" -depth 8 txt:- | tail -1 \
    | sed -n 's/.*(\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1 \2 \3/p'
}
near_colour() { # image x y r g b
  local rgb
  read -r -a rgb <<<"$(pixel "$1" "$2" "$3")"
  [ ${#rgb[@]} -eq 3 ] || return 1
  local d=$(( (rgb[0] - $4) ** 2 + (rgb[1] - $5) ** 2 + (rgb[2] - $6) ** 2 ))
  [ "$d" -lt 1200 ]
}

PHOTO="$IMAGES/frostpane_001.png"
ICE="$IMAGES/frostpane_001_ice.png"
TOP_BAND='[640x60+0+0]' # above the banner and the icons
# Icon crops after a press differ a little from the start: the icon comes
# back to its whole-pixel home. A different face differs far more (0.19+).
ICON_SAME=0.1

echo "start window"
start_game FROSTPANE_VCAM0_PATTERN=black
shot start
check "the ice of picture 1 fills the window" similar "$SHOTS/start.png" "$ICE" 0.06
check "no progress bar before the camera runs" similar "$SHOTS/start.png[40x16+20+434]" "$ICE[40x16+20+434]" 0.05

echo "snow: every pixel moves"
start_game FROSTPANE_VCAM0_PATTERN=snow
tap "${CAMERA_ICON[@]}"
check "the photograph shows" wait_until 20 shows snow "$TOP_BAND" "$PHOTO" 0.05
check "the bar is blue" near_colour "$SHOTS/snow.png" "${BAR_SPOT[@]}" 13 10 87
check "the banner is on" different "$SHOTS/snow.png[640x175+0+152]" "$PHOTO[640x175+0+152]" 0.12

echo "black: nothing moves"
start_game FROSTPANE_VCAM0_PATTERN=black
tap "${CAMERA_ICON[@]}"
check "the camera icon changed to on" wait_until 10 camera_icon_is on black_on
sleep 1.5 # frames flow meanwhile; nothing may change
shot black
check "the ice stays" similar "$SHOTS/black.png$TOP_BAND" "$ICE$TOP_BAND" 0.05
check "the bar has no width" similar "$SHOTS/black.png[40x16+20+434]" "$ICE[40x16+20+434]" 0.05

echo "ball: only its path is wiped"
start_game FROSTPANE_VCAM0_PATTERN=ball
tap "${CAMERA_ICON[@]}"
ice_partly_gone() { shot ball && less_than 0.03 "$(rmse "$SHOTS/ball.png" "$ICE")"; }
check "part of the ice is gone" wait_until 20 ice_partly_gone
ball_vs_ice=$(rmse "$SHOTS/ball.png" "$ICE")
ball_vs_photo=$(rmse "$SHOTS/ball.png" "$PHOTO")
check "most of the ice is still there" less_than "$ball_vs_ice" "$ball_vs_photo"
check "the bar is red" near_colour "$SHOTS/ball.png" "${BAR_SPOT[@]}" 106 8 23

echo "two cameras: the switch changes device"
start_game FROSTPANE_VCAM_DEVICES=2 FROSTPANE_VCAM0_PATTERN=black FROSTPANE_VCAM1_PATTERN=snow
tap "${CAMERA_ICON[@]}"
tap "${EMPTY_SPOT[@]}"
shot two_before
tap "${SWITCH_ICON[@]}"
shot two_switched
check "still frozen on the first camera" similar "$SHOTS/two_before.png$TOP_BAND" "$ICE$TOP_BAND" 0.06
check "the switch icon changed its face" different "$SHOTS/two_switched.png[60x60+226+66]" "$SHOTS/two_before.png[60x60+226+66]" 0.05
check "the second camera plays" wait_until 20 shows two_after "$TOP_BAND" "$PHOTO" 0.06

echo "a camera with 1280 x 720 only"
start_game FROSTPANE_VCAM0_PATTERN=snow FROSTPANE_VCAM0_CAPS=YUY2:1280x720@30
tap "${CAMERA_ICON[@]}"
check "the photograph shows undistorted" wait_until 20 shows wide "$TOP_BAND" "$PHOTO" 0.05

echo "a camera that stops delivering"
start_game FROSTPANE_VCAM0_PATTERN=black FROSTPANE_VCAM0_STOP_AFTER=20 FROSTPANE_VCAM0_STOP_MODE=freeze
tap "${CAMERA_ICON[@]}"
shot stop_on
check "the icon said on while frames came" different "$SHOTS/stop_on.png[52x52+294+166]" "$SHOTS/start.png[52x52+294+166]" "$ICON_SAME"
# A tap on the picture brings the tools back, should the lone icon have faded.
icon_says_off() { tap "${EMPTY_SPOT[@]}" && shows stop_off "[52x52+294+166]" "$SHOTS/start.png" "$ICON_SAME"; }
check "the icon says off once they stopped" wait_until 30 icon_says_off
check "the game still runs" kill -0 "$game_pid"
xdotool key Escape
game_gone() { ! kill -0 "$game_pid" 2>/dev/null; }
check "the window still closes" wait_until 10 game_gone

echo "Escape while the camera runs"
start_game FROSTPANE_VCAM0_PATTERN=snow
tap "${CAMERA_ICON[@]}"
check "the camera runs" wait_until 10 camera_icon_is on escape_on
started=$(date +%s%N)
xdotool key Escape
wait "$game_pid"
status=$?
elapsed_ms=$(( ($(date +%s%N) - started) / 1000000 ))
game_pid=
echo "  exit status $status after $elapsed_ms ms"
check "exit status 0" test "$status" -eq 0
# The camera is stopped first (a few 100 ms ticks); the bound is loose, for a
# busy two-core machine.
check "gone within five seconds" test "$elapsed_ms" -lt 5000

echo "one camera: the switch keeps it playing"
start_game FROSTPANE_VCAM0_PATTERN=ball
tap "${CAMERA_ICON[@]}"
tap "${EMPTY_SPOT[@]}"
tap "${SWITCH_ICON[@]}"
check "the ball still wipes" wait_until 10 moving one_switch
check "the camera icon still says on" camera_icon_is on one_switch_icon

echo "two still cameras: switching wipes no ice"
start_game FROSTPANE_VCAM_DEVICES=2 FROSTPANE_VCAM0_PATTERN=black FROSTPANE_VCAM1_PATTERN=white
tap "${CAMERA_ICON[@]}"
tap "${EMPTY_SPOT[@]}"
tap "${SWITCH_ICON[@]}"
check "the second camera plays" wait_until 10 camera_icon_is on still_switch_on
sleep 1.5 # frames flow meanwhile; nothing may be wiped
shot still_switch
check "the ice stays" similar "$SHOTS/still_switch.png$TOP_BAND" "$ICE$TOP_BAND" 0.05

echo "a monochrome camera (GRAY8)"
start_game FROSTPANE_VCAM0_PATTERN=snow FROSTPANE_VCAM0_CAPS=GRAY8:640x480@30
tap "${CAMERA_ICON[@]}"
check "its snow wipes the ice" wait_until 20 shows gray8 "$TOP_BAND" "$PHOTO" 0.05

echo "a camera plugged in, pulled out and plugged in again while the game runs"
start_game FROSTPANE_VCAM0_PATTERN=snow FROSTPANE_VCAM0_APPEAR_AFTER=2000 \
  FROSTPANE_VCAM0_LEAVE_AFTER=8000 FROSTPANE_VCAM0_RETURN_AFTER=11000
tap "${CAMERA_ICON[@]}"
check "no camera yet: the icon stays off" camera_icon_is off plug_none
until_game_time 3
tap "${EMPTY_SPOT[@]}"
tap "${CAMERA_ICON[@]}"
check "plugged in: one tap plays it" wait_until 10 shows plug_in "$TOP_BAND" "$PHOTO" 0.05
until_game_time 8
# The icon says off within 3 s (a tap brings the tools back, should they have faded).
icon_off_after_unplug() { tap "${EMPTY_SPOT[@]}" && camera_icon_is off plug_out; }
check "pulled out: the icon says off" wait_until 3 icon_off_after_unplug
until_game_time 12
tap "${EMPTY_SPOT[@]}"
tap "${CAMERA_ICON[@]}"
check "plugged in again: one tap plays it" wait_until 10 camera_icon_is on plug_again

echo "a pressed icon dragged off"
start_game FROSTPANE_VCAM0_PATTERN=black
tap "${EMPTY_SPOT[@]}"
shot drag_rest
xdotool mousemove "${SETTINGS_ICON[@]}" mousedown 1
sleep 0.3
shot drag_pressed
xdotool mousemove "${EMPTY_SPOT[@]}"
sleep 0.3
shot drag_off
xdotool mouseup 1
SETTINGS_CROP='[80x80+408+152]'
check "a press grows the icon" different "$SHOTS/drag_pressed.png$SETTINGS_CROP" "$SHOTS/drag_rest.png$SETTINGS_CROP" 0.05
check "dragged off, it is back at once" similar "$SHOTS/drag_off.png$SETTINGS_CROP" "$SHOTS/drag_rest.png$SETTINGS_CROP" "$ICON_SAME"
check "and nothing opened" similar "$SHOTS/drag_off.png[280x20+180+118]" "$SHOTS/drag_rest.png[280x20+180+118]" 0.02

echo "ten Escapes while the camera runs"
start_game FROSTPANE_VCAM0_PATTERN=snow
tap "${CAMERA_ICON[@]}"
check "the camera runs" wait_until 10 camera_icon_is on escapes_on
started=$(date +%s%N)
( for _ in $(seq 10); do xdotool key Escape 2>/dev/null; sleep 0.1; done ) &
escapes_pid=$!
wait "$game_pid"
elapsed_ms=$(( ($(date +%s%N) - started) / 1000000 ))
game_pid=
wait "$escapes_pid"
echo "  gone $elapsed_ms ms after the first Escape"
# Four 100 ms ticks after the first: had each Escape started the count again,
# the window would outlive the last of them, a second after the first.
check "gone before the Escapes end" test "$elapsed_ms" -lt 1000

echo "a tall window: the bar sits under the picture"
SCREEN_SIZE=600x1000 start_game FROSTPANE_VCAM0_PATTERN=snow
xdotool search --name '^Frostpane$' windowsize --sync 600 1000 windowmove 0 0
sleep 0.6
tap 300 400 # the camera icon
# The picture is 600 x 450 at y 275: the bar's top is 275 + 405.
bar_is_blue() { shot tall && near_colour "$SHOTS/tall.png" 30 690 13 10 87; }
check "the bar is 90 % down the picture" wait_until 20 bar_is_blue
not_near_colour() { ! near_colour "$@"; }
check "not 90 % of the picture's height down the window" not_near_colour "$SHOTS/tall.png" 30 415 13 10 87
echo "no camera at all"
start_game FROSTPANE_VCAM_DEVICES=0
tap "${CAMERA_ICON[@]}"
shot none_tapped
check "the camera icon does nothing" similar "$SHOTS/none_tapped.png[52x52+294+166]" "$SHOTS/start.png[52x52+294+166]" "$ICON_SAME"
tap "${EMPTY_SPOT[@]}"
tap "${SETTINGS_ICON[@]}"
shot none_settings
check "the settings panel opens" different "$SHOTS/none_settings.png[280x20+180+118]" "$ICE[280x20+180+118]" 0.08
check "the resolution slider is disabled (grey thumb)" near_colour "$SHOTS/none_settings.png" 189 48 158 158 158


echo "full screen under a window manager: F11 and back"
# A 16:9 screen, so the 4:3 picture must keep its shape: 960 x 720 at x 160,
# with black bars left and right.
SCREEN_SIZE=1280x720 WINDOW_MANAGER=openbox start_game FROSTPANE_VCAM0_PATTERN=black
window=
framed_window_shown() { window=$(game_window) && [ -n "$window" ] && window_size_is "$window" 640x480; }
check "a 640 x 480 window to start with" wait_until 10 framed_window_shown
framed=$(window_geometry "$window")
echo "  the framed window: $framed"
# F11 reaches the window that has the focus.
timeout 10 xdotool windowactivate --sync "$window"
xdotool key F11
check "F11: the window covers the screen" wait_until 10 window_is "$window" 1280x720+0+0
"$IM_CONVERT" "$ICE" -resize '960x720!' "$SHOTS/ice_960x720.png"
# The camera icon sits in the middle; the top and bottom bands are ice only.
full_screen_picture() {
  shot full_screen \
    && similar "$SHOTS/full_screen.png[960x150+160+0]" "$SHOTS/ice_960x720.png[960x150+0+0]" 0.06 \
    && similar "$SHOTS/full_screen.png[960x150+160+570]" "$SHOTS/ice_960x720.png[960x150+0+570]" 0.06
}
check "the ice fills the height, centred" wait_until 10 full_screen_picture
for x in 2 157 1122 1277; do
  check "black bar at x $x" near_colour "$SHOTS/full_screen.png" "$x" 360 0 0 0
done
not_black() { ! near_colour "$@" 0 0 0; }
check "the picture begins at x 160" not_black "$SHOTS/full_screen.png" 163 360
check "and ends at x 1119" not_black "$SHOTS/full_screen.png" 1116 360
xdotool key F11
check "F11 again: the window as it was" wait_until 10 window_is "$window" "$framed"
shot full_screen_left
xdotool key F11
check "F11 once more: full screen" wait_until 10 window_is "$window" 1280x720+0+0
xdotool key Escape
check "Escape still ends the game in full screen" wait_until 10 game_gone

echo "a photo of your own joins after the built-in ones"
# A pictures folder of its own (Qt reads XDG_CONFIG_HOME/user-dirs.dirs) with
# one flat orange photo in its Frostpane folder.
own=$(mktemp -d)
mkdir -p "$own/config" "$own/Pictures/Frostpane"
echo "XDG_PICTURES_DIR=\"$own/Pictures\"" >"$own/config/user-dirs.dirs"
"$IM_CONVERT" -size 800x600 'xc:rgb(230,120,20)' "$own/Pictures/Frostpane/mine.png"
start_game FROSTPANE_VCAM0_PATTERN=snow XDG_CONFIG_HOME="$own/config"
own_ready() { grep -q 'picture 7 is ready' "$SHOTS/game.log"; }
check "the photo and its ice are ready" wait_until 30 own_ready
tap "${EMPTY_SPOT[@]}"
tap "${PREVIOUS_ICON[@]}"
shot own_ice
# Before the camera runs: the photo's own ice, neither picture 1's nor 6's.
check "previous from picture 1 shows new ice" different "$SHOTS/own_ice.png$TOP_BAND" "$ICE$TOP_BAND" 0.05
check "not the ice of picture 6" different "$SHOTS/own_ice.png$TOP_BAND" "$IMAGES/frostpane_006_ice.png$TOP_BAND" 0.05
tap "${CAMERA_ICON[@]}"
# The band's mean colour: the flat photo's, give or take the odd speck of ice
# the snow has just missed.
band_is_own_photo() {
  shot own_wiped && "$IM_CONVERT" "$SHOTS/own_wiped.png$TOP_BAND" -scale '1x1!' "$SHOTS/own_wiped_mean.png" \
    && near_colour "$SHOTS/own_wiped_mean.png" 0 0 230 120 20
}
check "the snow wipes it clean to the photo" wait_until 20 band_is_own_photo
rm -rf "$own"

# wiped_pixels NAME: how many pixels of screenshot NAME are no longer ice.
wiped_pixels() {
  "$IM_COMPARE" -metric AE -fuzz 8% "$SHOTS/$1.png" "$ICE" null: 2>&1 | sed -n 's/^\([0-9.e+]*\).*/\1/p'
}
# trail NAME [SETTINGS]: the ball plays for three seconds; trail_pixels is
# how many pixels it wiped.
trail() {
  trail_pixels=0
  SETTINGS=${2:-} start_game FROSTPANE_VCAM0_PATTERN=ball || return 1
  tap "${CAMERA_ICON[@]}"
  wait_until 10 camera_icon_is on "$1_on" || return 1
  sleep 3
  shot "$1"
  trail_pixels=$(wiped_pixels "$1")
}

echo "remembered settings: a slower freezing speed leaves a longer trail"
trail trail_default
default_trail=$trail_pixels
trail trail_slow "$(printf '[game]\nfreezingSpeed=1')"
slow_trail=$trail_pixels
echo "  wiped pixels: $default_trail at the default speed, $slow_trail at speed 1"
check "the trail is longer" awk -v a="$default_trail" -v b="$slow_trail" 'BEGIN { exit !(a > 0 && b > 1.3 * a) }'

echo "remembered settings: sensitivity 765 wipes nothing"
SETTINGS=$(printf '[game]\ncameraSensitivity=765') start_game FROSTPANE_VCAM0_PATTERN=snow
tap "${CAMERA_ICON[@]}"
check "the camera plays" wait_until 10 camera_icon_is on insensitive_on
sleep 1.5 # frames flow meanwhile; nothing may be wiped
shot insensitive
check "the ice stays" similar "$SHOTS/insensitive.png$TOP_BAND" "$ICE$TOP_BAND" 0.05

echo "remembered settings: saved when the window closes"
start_game FROSTPANE_VCAM0_PATTERN=black
saved_file="$game_home/config/frostpane/frostpane.conf"
xdotool key Escape
wait "$game_pid"
game_pid=
check "the settings file has the game's values" grep -q '^freezingSpeed=10$' "$saved_file"

echo "a second start brings the first game to the front"
WINDOW_MANAGER=openbox start_game FROSTPANE_VCAM0_PATTERN=black
first=$(game_window)
xdotool windowminimize --sync "$first"
check "the first window is minimized" test -z "$(game_window)"
started=$(date +%s%N)
env -u QT_QPA_PLATFORM XDG_CONFIG_HOME="$game_home/config" XDG_CONFIG_DIRS="$game_home/system" \
  XDG_RUNTIME_DIR="$game_home/runtime" "$GAME" >"$SHOTS/second.log" 2>&1
status=$?
elapsed_ms=$(( ($(date +%s%N) - started) / 1000000 ))
echo "  the second start ended with status $status after $elapsed_ms ms"
check "the second start ends with 0" test "$status" -eq 0
check "within a second" test "$elapsed_ms" -lt 1000
first_window_shown() { [ "$(game_window)" = "$first" ]; }
check "the first window is shown again" wait_until 5 first_window_shown
check "one window" test "$(xdotool search --onlyvisible --name '^Frostpane$' | wc -l)" -eq 1
check "the first game still runs" kill -0 "$game_pid"

echo "a lock left by a game that crashed"
start_game FROSTPANE_VCAM0_PATTERN=black
kill -KILL "$game_pid"
wait "$game_pid" 2>/dev/null
game_pid=
check "the crashed game left its lock" test -e "$game_home/runtime/frostpane-${DISPLAY#:}.lock"
env -u QT_QPA_PLATFORM XDG_CONFIG_HOME="$game_home/config" XDG_CONFIG_DIRS="$game_home/system" \
  XDG_RUNTIME_DIR="$game_home/runtime" FROSTPANE_VCAM0_PATTERN=black "$GAME" >"$SHOTS/after_crash.log" 2>&1 &
game_pid=$!
a_window_shows() { [ -n "$(game_window)" ]; }
check "the next start plays" wait_until 10 a_window_shows

echo "--fullscreen"
WINDOW_MANAGER=openbox GAME_ARGS=--fullscreen start_game FROSTPANE_VCAM0_PATTERN=black
full_screen() { xprop -id "$(game_window)" _NET_WM_STATE | grep -q _NET_WM_STATE_FULLSCREEN; }
check "the window starts in full screen" wait_until 5 full_screen

cleanup
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
