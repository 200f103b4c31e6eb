#!/usr/bin/env bash
# End-to-end: the settings file, the one-game lock and socket against what a
# hostile machine leaves in their place, with the real game in Xvfb:
# - a FIFO in place of frostpane.conf: the game starts, plays and closes,
#   and the FIFO is left as it was;
# - SIGTERM closes the game as Escape does: status 0, settings saved;
# - a lock file holding nothing, junk, another host's name, or a folder
#   in its place: the game starts;
# - a start while the running game closes (camera on): a game plays after;
# - ":N", ":N.0" and "unix:N" are one display: one game;
# - 10,000 connections held to the socket: the game's descriptors and
#   memory stay bounded, and a second start still raises the game.
# Prints the figures it measured (start and exit times, descriptors, memory).
#   settings_lock_test.sh GAME [LOG_DIR]
set -u
# shellcheck source=tests/e2e/common.sh
source "$(dirname "$0")/common.sh" "$1" "" "${2:-}"
LOGS=$SHOTS

home=
pids=()

# This script's own games, each with its own folders, and its X server.
cleanup() {
  local pid
  for pid in "${pids[@]}" $xvfb_pid; do
    kill -9 "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  done
  pids=()
  [ -n "$home" ] && rm -rf "$home"
  home=
  xvfb_pid=
}
trap cleanup EXIT

now_ms() { echo $(($(date +%s%N) / 1000000)); }

windows() { xdotool search --onlyvisible --name '^Frostpane$' 2>/dev/null | wc -l; }
has_window() { [ "$(windows)" -ge 1 ]; }
gone() { ! kill -0 "$1" 2>/dev/null; }
# ended PID SECONDS: whether PID ends within SECONDS; its status in `status`.
ended() {
  status=
  wait_until "$2" gone "$1" || return 1
  wait "$1"
  status=$?
}

# A fresh X server and fresh folders for the game.
fresh() {
  cleanup
  home=$(mktemp -d)
  mkdir -p "$home/config/frostpane" "$home/system"
  mkdir -m 700 "$home/runtime"
  start_xvfb 640x480 -noreset || return 1
  display_number=${DISPLAY#:}
}

# launch NAME [DISPLAY]: the game in the background, its pid in `launched`.
launch() {
  env -u QT_QPA_PLATFORM DISPLAY="${2:-$DISPLAY}" XDG_CONFIG_HOME="$home/config" \
    XDG_CONFIG_DIRS="$home/system" XDG_RUNTIME_DIR="$home/runtime" \
    "$GAME" >"$LOGS/$1.log" 2>&1 &
  launched=$!
  pids+=("$launched")
}

# start_measured NAME: launches and waits for the window; start_ms is the
# time it took.
start_measured() {
  local t0
  t0=$(now_ms)
  launch "$1"
  wait_until 15 has_window || return 1
  start_ms=$(($(now_ms) - t0))
}

# escape_and_wait PID: Escape in the game's window, then its exit status
# in `status` and the time to exit in `exit_ms`.
escape_and_wait() {
  local t0
  t0=$(now_ms)
  xdotool search --onlyvisible --name '^Frostpane$' windowactivate --sync key Escape 2>/dev/null \
    || xdotool key Escape
  wait_until 15 gone "$1" || return 1
  wait "$1"
  status=$?
  exit_ms=$(($(now_ms) - t0))
}

echo "A FIFO in place of the settings file"
fresh
mkfifo "$home/config/frostpane/frostpane.conf"
if check "the game starts" start_measured fifo; then
  game=$launched
  echo "  start: ${start_ms} ms"
  check "it closes on Escape (settings saved or refused, never waited for)" escape_and_wait "$game"
  echo "  exit: ${exit_ms:-?} ms, status ${status:-?}"
  check "with status 0" [ "${status:-1}" -eq 0 ]
fi
check "the FIFO is left in place" [ -p "$home/config/frostpane/frostpane.conf" ]
check "the log says the file could not be read" grep -q "cannot read" "$LOGS/fifo.log"

echo "SIGTERM closes the game as Escape does"
fresh
if check "the game starts" start_measured sigterm; then
  game=$launched
  kill -TERM "$game"
  check "it ends" ended "$game" 15
  echo "  status after SIGTERM: ${status:-none}"
  check "with status 0" [ "${status:-1}" -eq 0 ]
  check "having saved its window" grep -q "geometry" "$home/config/frostpane/frostpane.conf"
fi

for leftover in empty junk another-host folder; do
  echo "A lock file in place: $leftover"
  fresh
  lock="$home/runtime/frostpane-$display_number.lock"
  case $leftover in
  empty) : >"$lock" ;;
  junk) head -c 4096 /dev/urandom >"$lock" ;;
  another-host) printf '1\nfrostpane\nsomeone-elses-laptop\n' >"$lock" ;;
  folder) mkdir -p "$lock/inside" ;;
  esac
  if check "the game starts" start_measured "lock-$leftover"; then
    game=$launched
    echo "  start: ${start_ms} ms"
    check "and closes" escape_and_wait "$game"
    check "with status 0" [ "${status:-1}" -eq 0 ]
  else
    ended "$launched" 1
    echo "  the start ended with status ${status:-none}, no window"
  fi
done

echo "A start while the running game closes"
fresh
check "the first game starts" start_measured closing-first
first=$launched
# Camera on: its stop makes the close take a while.
xdotool mousemove 320 192 click 1
sleep 1 # the camera starts
xdotool search --onlyvisible --name '^Frostpane$' windowactivate --sync key Escape 2>/dev/null || xdotool key Escape
sleep 0.3 # the case: a start 0.3 s after Escape, the first game still closing
closing_still_running=no
kill -0 "$first" 2>/dev/null && closing_still_running=yes
launch closing-second
second=$launched
echo "  the first game still ran when the second start came: $closing_still_running"
check "the first game ends" wait_until 15 gone "$first"
check "the second start shows a window" wait_until 15 has_window
check "which is the second game's" kill -0 "$second"
if kill -0 "$second" 2>/dev/null; then
  check "one window" [ "$(windows)" -eq 1 ]
  check "the second game closes" escape_and_wait "$second"
  check "with status 0" [ "${status:-1}" -eq 0 ]
else
  ended "$second" 1
  echo "  the second start ended with status ${status:-none}"
fi

echo "One display named three ways"
fresh
check "the game starts on :$display_number" start_measured display-plain
game=$launched
for name in ":$display_number.0" "unix:$display_number"; do
  launch "display-$name" "$name"
  later=$launched
  check "a start on $name ends" ended "$later" 15
  check "with status 0 (the game came to the front)" [ "${status:-1}" -eq 0 ]
done
check "one window" [ "$(windows)" -eq 1 ]

echo "10,000 connections held to the socket"
descriptors() { ls "/proc/$game/fd" | wc -l; }
resident_kb() { awk '/^VmRSS:/ { print $2 }' "/proc/$game/status"; }
before_fds=$(descriptors)
before_kb=$(resident_kb)
socket="$home/runtime/frostpane-$display_number.socket"
python3 - "$socket" "$LOGS/flood.ready" "$LOGS/flood.stop" >"$LOGS/flood.log" 2>&1 <<'PY' &
import os, resource, socket, sys, time
path, ready, stop = sys.argv[1:4]
soft, hard = resource.getrlimit(resource.RLIMIT_NOFILE)
resource.setrlimit(resource.RLIMIT_NOFILE, (min(hard, 20000), hard))
held, refused = [], 0
for _ in range(10000):
    s = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
    s.settimeout(2)
    try:
        s.connect(path)
        held.append(s)
    except OSError:
        refused += 1
        s.close()
print("connected", len(held), "refused", refused, flush=True)
open(ready, "w").close()
while not os.path.exists(stop):
    time.sleep(0.1)
PY
flood=$!
pids+=("$flood")
check "the flood connects" wait_until 120 test -e "$LOGS/flood.ready"
during_fds=$(descriptors)
during_kb=$(resident_kb)
launch flood-second
later=$launched
check "a second start during the flood ends" ended "$later" 30
check "with status 0" [ "${status:-1}" -eq 0 ]
check "having raised the game" grep -q "came to the front" "$LOGS/flood-second.log"
check "the game still has its socket" test -S "$socket"
touch "$LOGS/flood.stop"
wait "$flood"
after_fds=$(descriptors)
after_kb=$(resident_kb)
echo "  $(cat "$LOGS/flood.log")"
echo "  game descriptors: $before_fds before, $during_fds with 10,000 held, $after_fds after"
echo "  game memory (RSS): $before_kb kB before, $during_kb kB with 10,000 held, $after_kb kB after"
check "descriptors stay bounded" [ "$during_fds" -lt $((before_fds + 100)) ]
check "the game closes with status 0" escape_and_wait "$game"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
