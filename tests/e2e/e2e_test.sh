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

source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

echo "start window"
start_game FROSTPANE_VCAM0_PATTERN=black
check "the ice of picture 1 fills the window" wait_until 10 shows start "" "$ICE" 0.06
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
# Frames flow meanwhile and nothing may change: the time passing is the point.
sleep 1.5
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
icon_said_on() { shot stop_on && different "$SHOTS/stop_on.png[52x52+294+166]" "$SHOTS/start.png[52x52+294+166]" "$ICON_SAME"; }
check "the icon said on while frames came" wait_until 5 icon_said_on
# A tap on the picture brings the tools back, should the lone icon have faded.
icon_says_off() { tap "${EMPTY_SPOT[@]}" && shows stop_off "[52x52+294+166]" "$SHOTS/start.png" "$ICON_SAME"; }
check "the icon says off once they stopped" wait_until 30 icon_says_off
check "the game still runs" kill -0 "$game_pid"
xdotool key Escape
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
# Frames flow meanwhile and nothing may be wiped: the time passing is the point.
sleep 1.5
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
SETTINGS_CROP='[80x80+408+152]'
tools_up() { shot drag_rest && different "$SHOTS/drag_rest.png$SETTINGS_CROP" "$ICE$SETTINGS_CROP" 0.05; }
check "a tap shows the tools" wait_until 5 tools_up
xdotool mousemove "${SETTINGS_ICON[@]}" mousedown 1
icon_grown() { shot drag_pressed && different "$SHOTS/drag_pressed.png$SETTINGS_CROP" "$SHOTS/drag_rest.png$SETTINGS_CROP" 0.05; }
check "a press grows the icon" wait_until 5 icon_grown
xdotool mousemove "${EMPTY_SPOT[@]}"
icon_back() { shot drag_off && similar "$SHOTS/drag_off.png$SETTINGS_CROP" "$SHOTS/drag_rest.png$SETTINGS_CROP" "$ICON_SAME"; }
check "dragged off, it is back while the button is still down" wait_until 5 icon_back
xdotool mouseup 1
# Frames flow meanwhile and the release may open nothing: the time passing is
# the point.
sleep 1
shot drag_released
check "and the release opens nothing" similar "$SHOTS/drag_released.png[280x20+180+118]" "$SHOTS/drag_rest.png[280x20+180+118]" 0.02

echo "ten Escapes while the camera runs"
start_game FROSTPANE_VCAM0_PATTERN=snow
tap "${CAMERA_ICON[@]}"
check "the camera runs" wait_until 10 camera_icon_is on escapes_on
started=$(date +%s%N)
# Ten presses 100 ms apart, as a child hammers the key: the pace is the case.
( for _ in $(seq 10); do xdotool key Escape 2>/dev/null; sleep 0.1; done ) &
escapes_pid=$!
# The window's going is what the exit sequence paces; the process's own end
# after it (the sound thread, a sanitizer's leak scan) is timed by others.
window_gone() { ! xdotool search --onlyvisible --name '^Frostpane$' >/dev/null 2>&1; }
WAIT_STEP=0.02 wait_until 5 window_gone
elapsed_ms=$(( ($(date +%s%N) - started) / 1000000 ))
wait "$game_pid"
status=$?
game_pid=
wait "$escapes_pid"
echo "  the window went $elapsed_ms ms after the first Escape; exit status $status"
# Four 100 ms ticks after the first: had each Escape started the count again,
# the window would outlive the last of them, a second after the first.
check "gone before the Escapes end" test "$elapsed_ms" -lt 1000
check "and the game ends with status 0" test "$status" -eq 0

echo "a tall window: the bar sits under the picture"
not_near_colour() { ! near_colour "$@"; }
SCREEN_SIZE=600x1000 start_game FROSTPANE_VCAM0_PATTERN=snow
xdotool search --name '^Frostpane$' windowsize --sync 600 1000 windowmove 0 0
# Drawn at the new size: the picture across the middle, black above it.
tall_drawn() { shot tall_start && near_colour "$SHOTS/tall_start.png" 300 100 0 0 0 && not_near_colour "$SHOTS/tall_start.png" 30 300 0 0 0; }
check "the window is drawn at 600 x 1000" wait_until 10 tall_drawn
tap 300 400 # the camera icon
# The picture is 600 x 450 at y 275: the bar's top is 275 + 405.
bar_is_blue() { shot tall && near_colour "$SHOTS/tall.png" 30 690 13 10 87; }
check "the bar is 90 % down the picture" wait_until 20 bar_is_blue
check "not 90 % of the picture's height down the window" not_near_colour "$SHOTS/tall.png" 30 415 13 10 87
echo "no camera at all"
start_game FROSTPANE_VCAM_DEVICES=0
tap "${CAMERA_ICON[@]}"
shot none_tapped
check "the camera icon does nothing" similar "$SHOTS/none_tapped.png[52x52+294+166]" "$SHOTS/start.png[52x52+294+166]" "$ICON_SAME"
tap "${EMPTY_SPOT[@]}"
tap "${SETTINGS_ICON[@]}"
settings_open() { shot none_settings && different "$SHOTS/none_settings.png[280x20+180+118]" "$ICE[280x20+180+118]" 0.08; }
check "the settings panel opens" wait_until 5 settings_open
check "the resolution slider is disabled (grey thumb)" near_colour "$SHOTS/none_settings.png" 189 48 158 158 158

echo "no camera at all: the mouse wipes"
start_game FROSTPANE_VCAM_DEVICES=0
shot stroke_before
# A fast stroke across the lower part of the picture: 100 px between the
# pointer's points.
xdotool mousemove 100 400 mousedown 1 mousemove 200 400 mousemove 300 400 mousemove 400 400 \
  mousemove 500 400 mousemove 540 400 mouseup 1
STROKE_PATH='[400x12+120+394]' # the brush reaches 12 px either side of y 400
# The step timer wipes the stroke at its next tick.
check "the photo shows along the path" wait_until 5 shows stroke "$STROKE_PATH" "$PHOTO" 0.05
check "the ice stays above it" similar "$SHOTS/stroke.png[640x50+0+330]" "$ICE[640x50+0+330]" 0.05
check "and below it" similar "$SHOTS/stroke.png[400x12+120+418]" "$ICE[400x12+120+418]" 0.05
check "and beside it" similar "$SHOTS/stroke.png[60x30+20+385]" "$ICE[60x30+20+385]" 0.05
check "the tools stay hidden" similar "$SHOTS/stroke.png$SETTINGS_CROP" "$SHOTS/stroke_before.png$SETTINGS_CROP" 0.02
ice_back() { shot stroke_back && similar "$SHOTS/stroke_back.png$STROKE_PATH" "$ICE$STROKE_PATH" 0.05; }
check "the ice grows back over it" wait_until 10 ice_back
tap "${EMPTY_SPOT[@]}"
tools_shown() { shot stroke_tap && different "$SHOTS/stroke_tap.png$SETTINGS_CROP" "$SHOTS/stroke_before.png$SETTINGS_CROP" 0.05; }
check "a tap then shows the tools" wait_until 5 tools_shown


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
check "the photo and its ice are ready" wait_until 30 logged 'picture 7 is ready'
tap "${EMPTY_SPOT[@]}"
tap "${PREVIOUS_ICON[@]}"
# Before the camera runs: the photo's own ice, neither picture 1's nor 6's.
new_ice() { shot own_ice && different "$SHOTS/own_ice.png$TOP_BAND" "$ICE$TOP_BAND" 0.05; }
check "previous from picture 1 shows new ice" wait_until 5 new_ice
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

finish
