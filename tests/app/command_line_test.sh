#!/usr/bin/env bash
# The command line of the real game binary, with no display at all: --help
# and --version answer on standard output with status 0; anything unknown
# prints the usage on standard error with status 2. None of them may start a
# game (which would wait for a display that is not there).
#
#   command_line_test.sh GAME
set -uo pipefail

GAME=$1
out=$(mktemp)
err=$(mktemp)
# The lock of a start that gets as far as the display: never the user's.
XDG_RUNTIME_DIR=$(mktemp -d)
export XDG_RUNTIME_DIR
trap 'rm -f "$out" "$err"; rm -rf "$XDG_RUNTIME_DIR"' EXIT
failed=0

# run EXPECTED_STATUS ARGS...: the game with no display, at most 10 seconds.
run() {
  local expected=$1
  shift
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM timeout 10 "$GAME" "$@" >"$out" 2>"$err"
  local status=$?
  if [ "$status" -ne "$expected" ]; then
    echo "FAILED: frostpane $* ended with $status, not $expected"
    sed 's/^/  stderr: /' "$err"
    failed=1
    return 1
  fi
}
expect() { # FILE PATTERN WHAT
  if ! grep -q -- "$2" "$1"; then
    echo "FAILED: $3"
    failed=1
  fi
}

run 0 --help && expect "$out" '--fullscreen' "--help lists --fullscreen" \
  && expect "$out" '--reset-settings' "--help lists --reset-settings" \
  && expect "$out" '^Usage:' "--help starts with the usage"
run 0 -h && expect "$out" '^Usage:' "-h gives the usage"
run 0 --version && expect "$out" '^Frostpane [0-9]' "--version names the game and its version"
run 2 --no-such-option && expect "$err" '^Usage:' "an unknown option prints the usage on standard error" \
  && expect "$err" 'no-such-option' "and names the option"
[ -s "$out" ] && { echo "FAILED: an unknown option printed on standard output"; failed=1; }
run 2 a-picture.png && expect "$err" 'a-picture.png' "an argument the game takes none of is named"

# No display, or one that does not answer: one line that says so, status 1
# (not Qt's abort).
run 1 && expect "$err" '^frostpane: no display' "a start with no display says so"
if grep -qi -e 'qt\.qpa' -e 'platform plugin' "$err"; then
  echo "FAILED: Qt's own complaints about the display were printed:"
  sed 's/^/  stderr: /' "$err"
  failed=1
fi
env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY=:97 timeout 10 "$GAME" >"$out" 2>"$err"
status=$?
if [ "$status" -ne 1 ] || ! grep -q '^frostpane: cannot open the display :97' "$err"; then
  echo "FAILED: a display that does not answer ended with $status:"
  sed 's/^/  stderr: /' "$err"
  failed=1
fi

# A platform that cannot start for another reason than the display (one
# named wrongly, on the command line or in the environment): Qt's own words
# say which and what there is, status 1; never a word about the display.
for how in "-platform bogus" "QT_QPA_PLATFORM=bogus"; do
  case $how in
    -platform*) env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY=:97 timeout 10 "$GAME" -platform bogus >"$out" 2>"$err" ;;
    *) env -u WAYLAND_DISPLAY DISPLAY=:97 QT_QPA_PLATFORM=bogus timeout 10 "$GAME" >"$out" 2>"$err" ;;
  esac
  status=$?
  if [ "$status" -ne 1 ] || ! grep -q 'platform plugin "bogus"' "$err" || ! grep -q 'Available platform plugins' "$err" \
    || grep -q -e 'open the display' -e 'no display' "$err"; then
    echo "FAILED: $how ended with $status without Qt's own message:"
    sed 's/^/  stderr: /' "$err"
    failed=1
  fi
done

[ "$failed" -eq 0 ] && echo "command line: all good"
exit "$failed"
