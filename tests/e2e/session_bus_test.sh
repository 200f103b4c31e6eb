#!/usr/bin/env bash
# End-to-end: the real game in Xvfb against its session bus:
# - a bus that takes connections and never answers (a hung desktop
#   session): the window shows all the same, and the log says the game
#   plays without the bus;
# - a healthy bus (a private dbus-daemon): the window shows and the bus is
#   kept, for screen readers.
#   session_bus_test.sh GAME IMAGES_DIR [SHOTS_DIR]
set -u
# shellcheck source=tests/e2e/common.sh
source "$(dirname "$0")/common.sh" "$1" "$2" "${3:-}"

bus_dir=$(mktemp -d)
helper_pid=
finish_helpers() {
  cleanup
  [ -n "$helper_pid" ] && kill "$helper_pid" 2>/dev/null && wait "$helper_pid" 2>/dev/null
  rm -rf "$bus_dir"
}
trap finish_helpers EXIT

echo "A session bus that never answers"
# Accepts every connection and holds it, reading nothing.
python3 -c '
import socket, sys
s = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
s.bind(sys.argv[1]); s.listen(64)
held = []
while True:
    held.append(s.accept()[0])
' "$bus_dir/silent" &
helper_pid=$!
wait_until 5 test -S "$bus_dir/silent"
# start_game fails unless the window shows within 10 s.
check "the window shows" start_game FROSTPANE_VCAM_DEVICES=0 DBUS_SESSION_BUS_ADDRESS="unix:path=$bus_dir/silent"
check "the log says the game plays without the bus" logged 'session bus.*did not answer'
check "the picture is drawn" shows silent_bus "$TOP_BAND" "$ICE" 0.08
check "Escape ends it" eval 'xdotool key Escape && wait_until 10 game_gone'
kill "$helper_pid"
wait "$helper_pid" 2>/dev/null
helper_pid=

echo "A healthy session bus"
dbus-daemon --session --nofork --address="unix:path=$bus_dir/healthy" >/dev/null 2>&1 &
helper_pid=$!
wait_until 5 test -S "$bus_dir/healthy"
check "the window shows" start_game FROSTPANE_VCAM_DEVICES=0 DBUS_SESSION_BUS_ADDRESS="unix:path=$bus_dir/healthy"
check "the bus is kept" eval '! logged "session bus"'
check "Escape ends it" eval 'xdotool key Escape && wait_until 10 game_gone'

finish
