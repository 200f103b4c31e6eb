#!/usr/bin/env bash
# End-to-end: the settings on a slow home folder (a network home), with the
# real game in Xvfb and a shim that makes each rename onto frostpane.conf
# take a while:
# - OK in the settings, then Escape, SIGTERM or SIGINT 1.1 s later while the
#   rename takes 1.5 s: the game ends after the write, with status 0; the
#   file holds the panel's values and the window, and no new file is left
#   beside it;
# - a rename that takes 20 s: the game ends after its bound, the log names
#   the values not saved, the old file stays and nothing is left beside it.
# Prints how long each exit took.
#   slow_home_test.sh GAME IMAGES_DIR SHOTS_DIR SHIM
set -u
# shellcheck source=tests/e2e/common.sh
source "$(dirname "$0")/common.sh" "$1" "$2" "${3:-}"
SHIM=$4

now_ms() { echo $(($(date +%s%N) / 1000000)); }
conf() { echo "$game_home/config/frostpane/frostpane.conf"; }
settings_open() { shot settings && different "$SHOTS/settings.png[280x20+180+118]" "$ICE[280x20+180+118]" 0.08; }
# The new files a save makes beside frostpane.conf before renaming them.
leftovers() { find "$game_home/config/frostpane" -name '.frostpane.conf.*' | wc -l; }
no_leftovers() { [ "$(leftovers)" -eq 0 ]; }

# change_and_ok: opens the settings, moves the camera sensitivity (the first
# control without a camera) three steps and presses OK.
change_and_ok() {
  tap "${EMPTY_SPOT[@]}"
  tap "${SETTINGS_ICON[@]}"
  wait_until 5 settings_open || return 1
  xdotool key Right Right Right Return
}

# close_by HOW: Escape in the window, or the signal named.
close_by() {
  case $1 in
    Escape) xdotool search --onlyvisible --name '^Frostpane$' windowactivate --sync key Escape 2>/dev/null \
      || xdotool key Escape ;;
    *) kill -s "$1" "$game_pid" ;;
  esac
}

# ended_within SECONDS: the game ends within SECONDS; its status in `status`
# and the time since close_by in `exit_ms`.
ended_within() {
  status=
  wait_until "$1" game_gone || return 1
  wait "$game_pid"
  status=$?
  exit_ms=$(($(now_ms) - closed_at))
}

# The sanitizers insist on coming first among the preloaded libraries unless
# told otherwise; the shim must come in too.
shim_asan=${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0

WAIT_STEP=0.05
for how in Escape TERM INT; do
  echo "A rename of 1.5 s, then $how 1.1 s after OK"
  start_game FROSTPANE_VCAM_DEVICES=0 LD_PRELOAD="$SHIM" ASAN_OPTIONS="$shim_asan" \
    FROSTPANE_SLOW_RENAME=frostpane.conf FROSTPANE_SLOW_RENAME_MS=1500 || { check "the game starts" false; continue; }
  check "the settings panel takes a change" change_and_ok
  sleep 1.1 # the moment of the close is the case: a write under way
  closed_at=$(now_ms)
  close_by "$how"
  check "the game ends" ended_within 15
  echo "  exit after $how: ${exit_ms:-?} ms, status ${status:-?}"
  check "with status 0" [ "${status:-1}" -eq 0 ]
  check "the panel's value is saved" grep -q '^cameraSensitivity=' "$(conf)"
  check "and it is no longer the default" eval '! grep -q "^cameraSensitivity=20$" "$(conf)"'
  check "the window is saved too" grep -q '^geometry=' "$(conf)"
  check "no new file is left beside the settings" no_leftovers
  cp "$SHOTS/game.log" "$SHOTS/game-$how.log"
done

echo "A rename of 20 s: the bound passes"
SETTINGS=$'[game]\nfreezingSpeed=7' start_game FROSTPANE_VCAM_DEVICES=0 LD_PRELOAD="$SHIM" ASAN_OPTIONS="$shim_asan" \
  FROSTPANE_SLOW_RENAME=frostpane.conf FROSTPANE_SLOW_RENAME_MS=20000 \
  || check "the game starts" false
before=$(cat "$(conf)")
check "the settings panel takes a change" change_and_ok
closed_at=$(now_ms)
close_by Escape
check "the game ends within its bound" ended_within 12
echo "  exit: ${exit_ms:-?} ms, status ${status:-?}"
check "with status 0" [ "${status:-1}" -eq 0 ]
check "the log names the values not saved" logged 'not saved:.*cameraSensitivity'
check "the old file is left as it was" [ "$(cat "$(conf)")" = "$before" ]
check "no new file is left beside it" no_leftovers
cp "$SHOTS/game.log" "$SHOTS/game-bound.log"

finish
