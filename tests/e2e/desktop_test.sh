#!/usr/bin/env bash
# The game's window as a desktop sees it, under Xvfb: its icon and class
# (what task bars match with the menu entry), full screen entered from a
# maximized window under a window manager, and the About panel at 640 x 480
# in every language the game speaks (screenshots kept for a reader).
#
#   desktop_test.sh GAME DESKTOP_FILE [SHOTS_DIR]
#
# GStreamer must find the virtual camera (GST_PLUGIN_PATH, GST_REGISTRY).
set -uo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
DESKTOP_FILE=$2

# start_desktop_game VAR=VALUE...: start_game on a black camera, in the
# language the arguments give (none of the desktop's own); `window` is the
# game's window.
start_desktop_game() {
  start_game LANGUAGE= LC_ALL= LC_MESSAGES= FROSTPANE_VCAM0_PATTERN=black "$@" || return 1
  window=$(game_window)
}

net_wm_state() { xprop -id "$1" _NET_WM_STATE 2>/dev/null; }
maximized() { net_wm_state "$1" | grep -q _NET_WM_STATE_MAXIMIZED_VERT && net_wm_state "$1" | grep -q _NET_WM_STATE_MAXIMIZED_HORZ; }
not_full_screen() { ! net_wm_state "$1" | grep -q _NET_WM_STATE_FULLSCREEN; }

echo "the window's identity"
start_desktop_game
wm_class=$(xprop -id "$window" WM_CLASS | sed -n 's/^WM_CLASS(STRING) = "\([^"]*\)", "\([^"]*\)"$/\2/p')
startup_class=$(sed -n 's/^StartupWMClass=//p' "$DESKTOP_FILE")
echo "  WM_CLASS class: $wm_class; the menu entry's StartupWMClass: $startup_class"
check "the menu entry names the window's class" test -n "$wm_class" -a "$wm_class" = "$startup_class"
# _NET_WM_ICON: width, height, then that many ARGB pixels, for each size.
xprop -id "$window" -f _NET_WM_ICON 32c '=$0+' _NET_WM_ICON >"$SHOTS/net_wm_icon.txt" 2>&1
# "WxH:SHARE" for each size, SHARE the per mille of opaque pixels.
icon_sizes=$(sed 's/^[^=]*=//' "$SHOTS/net_wm_icon.txt" | tr ',' '\n' | awk '
  { v[NR] = $1 + 0 } END { i = 1; while (i + 1 <= NR) { w = v[i]; h = v[i + 1]; if (w <= 0 || h <= 0) exit;
    opaque = 0; for (j = i + 2; j < i + 2 + w * h; j++) if (v[j] >= 4278190080) opaque++;
    printf "%dx%d:%d ", w, h, 1000 * opaque / (w * h); i += 2 + w * h } }')
echo "  _NET_WM_ICON (size:opaque per mille): $icon_sizes"
# The application icon's own 48 x 48 picture, as the menu shows it.
icon_name=$(sed -n 's/^Icon=//p' "$DESKTOP_FILE")
icon_png=$(dirname "$DESKTOP_FILE")/icons/hicolor/48x48/apps/$icon_name.png
IM_CONVERT=/usr/bin/convert-im6.q16; [ -x "$IM_CONVERT" ] || IM_CONVERT=/usr/bin/convert
icon_opaque=$("$IM_CONVERT" "$icon_png" -alpha extract -threshold 99.9% -format '%[fx:int(1000*mean)]' info:)
echo "  $icon_png: $icon_opaque per mille opaque"
is_the_app_icon() {
  local share
  share=$(grep -o '48x48:[0-9]*' <<<"$icon_sizes" | cut -d: -f2)
  [ -n "$share" ] && [ "$share" -gt 0 ] && [ $((share - icon_opaque)) -le 5 ] && [ $((icon_opaque - share)) -le 5 ]
}
check "the window carries the application icon (48 x 48 among its sizes)" is_the_app_icon

echo "full screen from a maximized window, under openbox"
SCREEN_SIZE=1280x720 WINDOW_MANAGER=openbox start_desktop_game
timeout 10 xdotool windowactivate --sync "$window"
framed=$(window_geometry "$window")
# A double click on the title bar maximizes, as a person would do it.
read -r _ _ frame_top _ <<<"$(xprop -id "$window" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g')"
read -r fx fy <<<"$(window_geometry "$window" | sed 's/.*x[0-9]*+\([0-9]*\)+\([0-9]*\)/\1 \2/')"
xdotool mousemove "$((fx + 320))" "$((fy - ${frame_top:-20} / 2))" click --repeat 2 --delay 80 1
# Maximized as the window manager says, and laid out so: the screen's width,
# down to its bottom edge.
spans_screen() {
  maximized "$1" || return 1
  local w h y
  IFS='x+' read -r w h _ y <<<"$(window_geometry "$1")"
  [ "$w" -eq 1280 ] && [ $((y + h)) -eq 720 ]
}
check "a double click on the title bar maximizes the window (from $framed)" wait_until 10 spans_screen "$window"
maximized_geometry=$(window_geometry "$window")
echo "  maximized: $maximized_geometry"
timeout 10 xdotool windowactivate --sync "$window"
xdotool key F11
check "F11: full screen" wait_until 10 window_is "$window" 1280x720+0+0
xdotool key F11
back_maximized() { maximized "$1" && not_full_screen "$1" && window_is "$1" "$maximized_geometry"; }
check "F11 again: maximized as before ($maximized_geometry)" wait_until 10 back_maximized "$window"
echo "  after F11, F11: $(window_geometry "$window"), $(net_wm_state "$window" | sed 's/.*= //')"
shot maximized_again
# Once more, from the maximized window it came back to.
xdotool key F11
check "F11 once more: full screen" wait_until 10 window_is "$window" 1280x720+0+0
xdotool key F11
check "and maximized again" wait_until 10 back_maximized "$window"
# And from a plain window, back to that window.
xdotool mousemove "$((fx + 320))" 10 click --repeat 2 --delay 80 1
plain() { ! maximized "$1" && window_is "$1" "$framed"; }
check "a double click restores the window" wait_until 10 plain "$window"
xdotool key F11
check "F11 from the plain window: full screen" wait_until 10 window_is "$window" 1280x720+0+0
xdotool key F11
check "F11 again: the plain window ($framed)" wait_until 10 plain "$window"

echo "the About panel at 640 x 480"
about_open() {
  shot "about_$1" && different "$SHOTS/about_$1.png[400x270+120+105]" "$SHOTS/about_${1}_before.png[400x270+120+105]" 0.1
}
for language in en_US de_DE fr_FR es_ES; do
  start_desktop_game LANG="$language.UTF-8"
  tap 600 440 # the picture: the tools come back
  shot "about_${language}_before"
  tap 192 192 # the About icon
  check "$language: the About panel opens" wait_until 5 about_open "$language"
done

finish
