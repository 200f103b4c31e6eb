# Shared by the end-to-end scripts: a fresh X server with the game in it,
# pointer taps, waiting on a condition, screenshots, their comparison and a
# picture found on them, and the pass/fail tally.
# Sourced with the script's own arguments: GAME IMAGES_DIR [SHOTS_DIR].

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

# Ends the game, the window manager and the X server, and waits for them
# (only them: a script may keep other helpers running across games).
cleanup() {
  local pid
  for pid in $game_pid $wm_pid $xvfb_pid; do
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  done
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
    return 1
  fi
}

# start_xvfb WxH [OPTION...]: an X server of that size (24 bits), reached by
# no network; sets xvfb_pid and DISPLAY once the server takes clients.
start_xvfb() {
  local size=$1
  shift
  local display_file
  display_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp "$@" 3>"$display_file" >/dev/null 2>&1 &
  xvfb_pid=$!
  # The server writes its display number once it listens.
  if ! wait_until 10 test -s "$display_file"; then
    rm -f "$display_file"
    echo "  the X server did not start"
    return 1
  fi
  export DISPLAY=":$(cat "$display_file")"
  rm -f "$display_file"
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
  # -noreset: a game that ends (or is killed) leaves the server up for the next.
  start_xvfb "${SCREEN_SIZE:-640x480}" -noreset || return 1
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
# WAIT_STEP (seconds, default 0.2) is the pause between tries, shorter for a
# caller that times what it waits for.
wait_until() {
  local deadline=$(($(date +%s%N) / 1000000 + $1 * 1000))
  shift
  until "$@"; do
    [ $(($(date +%s%N) / 1000000)) -ge "$deadline" ] && return 1
    sleep "${WAIT_STEP:-0.2}"
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

# shot NAME: a screenshot of SHOT_WINDOW (default: the whole screen).
SHOT_WINDOW=root
shot() { "$IM_IMPORT" -window "$SHOT_WINDOW" "$SHOTS/$1.png"; }

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

# moving NAME: a screenshot NAME_a, then fresh ones (NAME_b) until one differs
# from it, for up to 5 s: frames still arrive.
moving() { shot "$1_a" && wait_until 5 changed_since "$1"; }
changed_since() { shot "$1_b" && different "$SHOTS/$1_a.png" "$SHOTS/$1_b.png" 0.002; }
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

# locate_picture IMAGE PICTURE: "X Y", where in IMAGE a copy of PICTURE
# (smaller, on black) sits, told by its content alone: the grey levels summed
# down each column and along each row, matched at every offset against
# PICTURE's own, black beyond it. A few stray pixels (a mouse cursor) or a
# part that differs (an icon, a banner) hardly move the best match, where a
# box around everything that is not black would stretch to take them in.
locate_picture() {
  local x y
  x=$({ grey_sums "$2" x; echo; grey_sums "$1" x; } | best_offset) || return 1
  y=$({ grey_sums "$2" y; echo; grey_sums "$1" y; } | best_offset) || return 1
  echo "$x $y"
}
# grey_sums IMAGE x|y: the grey level (0..255) summed down each column (x) or
# along each row (y), one sum a line.
grey_sums() {
  local w h
  read -r w h <<<"$("$IM_CONVERT" "$1" -format '%w %h' info:)"
  local scale=${w}x1! count=$h
  [ "$2" = y ] && scale=1x${h}! count=$w
  # -scale averages whole columns (rows); 16 bits keep the means exact enough.
  "$IM_CONVERT" "$1" -colorspace gray -scale "$scale" -depth 16 -endian LSB gray:- | od -An -v -tu2 \
    | awk -v count="$count" '{ for (i = 1; i <= NF; i++) print $i / 257 * count }'
}
# best_offset: reads a picture's sums, an empty line, then an image's; prints
# the offset at which the picture's sums, zero around them, are nearest the
# image's (the least sum of absolute differences).
best_offset() {
  awk 'NF == 0 { image = 1; next } !image { p[np++] = $1; next } { s[ns++] = $1 }
    END {
      if (np == 0 || np > ns) exit 1
      for (o = 0; o + np <= ns; o++) {
        cost = 0
        for (i = 0; i < ns; i++) { d = s[i] - (i >= o && i < o + np ? p[i - o] : 0); cost += d < 0 ? -d : d }
        if (o == 0 || cost < best) { best = cost; at = o }
      }
      print at
    }'
}
# framed_in_black IMAGE WxH+X+Y [X0,Y0 X1,Y1]: the one-pixel frame just around
# that rectangle is black wherever it lies on IMAGE, leaving out the box from
# X0,Y0 to X1,Y1 (one known to hold something else, such as a cursor).
framed_in_black() {
  local w h x y
  IFS='x+' read -r w h x y <<<"$2"
  local maximum
  maximum=$("$IM_CONVERT" "$1" -fill black ${3:+-draw "rectangle $3"} \
    -draw "rectangle $x,$y $((x + w - 1)),$((y + h - 1))" -bordercolor black -border 1 \
    -crop "$((w + 2))x$((h + 2))+$x+$y" +repage -colorspace gray -format '%[fx:maxima]' info:) || return 1
  less_than "$maximum" 0.08
}

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
TOP_BAND='[520x60+0+0]' # above the banner and the icons, left of a won picture's wave target
# Icon crops after a press differ a little from the start: the icon comes
# back to its whole-pixel home. A different face differs far more (0.19+).
ICON_SAME=0.1
game_gone() { ! kill -0 "$game_pid" 2>/dev/null; }
# logged PATTERN: the game's log so far has a line matching PATTERN.
logged() { grep -q -- "$1" "$SHOTS/game.log"; }

# The closing tally; the script's status.
finish() {
  cleanup
  echo "$passed passed, $failed failed"
  [ "$failed" -eq 0 ]
}
