# A private PulseAudio server with one null sink, and recordings of what is
# played into it. Sourced after common.sh.
#
# The server has its own XDG_RUNTIME_DIR and HOME, so it never meets a
# desktop's own sound server, and is stopped by its PID.

pulse_dir=
pulse_pid=
record_pid=

start_pulse() {
  stop_pulse
  pulse_dir=$(mktemp -d)
  mkdir -p "$pulse_dir/runtime" "$pulse_dir/home"
  chmod 700 "$pulse_dir/runtime"
  launch_pulse
}

# launch_pulse: runs the server in pulse_dir, at the address it had before
# (its socket under the runtime folder), and waits until it answers.
launch_pulse() {
  XDG_RUNTIME_DIR="$pulse_dir/runtime" HOME="$pulse_dir/home" \
    pulseaudio --daemonize=no --exit-idle-time=-1 --disable-shm=yes -n \
      --load="module-null-sink sink_name=frostpane_sink rate=48000" \
      --load="module-native-protocol-unix" \
      --log-target=stderr >>"$SHOTS/pulseaudio.log" 2>&1 &
  pulse_pid=$!
  if ! wait_until 10 pulse_runs; then
    echo "  the sound server did not start"
    return 1
  fi
}

# kill_pulse [SIGNAL]: ends the server with SIGNAL (TERM by default; KILL
# leaves its socket and PID file behind) and keeps its folder, so that
# launch_pulse brings it back where its clients look for it.
kill_pulse() {
  stop_recording
  [ -n "$pulse_pid" ] || return 0
  kill -"${1:-TERM}" "$pulse_pid" 2>/dev/null
  wait "$pulse_pid" 2>/dev/null
  pulse_pid=
}

# The environment a client needs to reach the private server.
pulse_env() {
  echo "XDG_RUNTIME_DIR=$pulse_dir/runtime" "PULSE_SERVER=unix:$pulse_dir/runtime/pulse/native" \
    "HOME=$pulse_dir/home"
}

pulse_runs() { env $(pulse_env) pactl info >/dev/null 2>&1; }

stop_pulse() {
  stop_recording
  [ -n "$pulse_pid" ] && kill "$pulse_pid" 2>/dev/null && wait "$pulse_pid" 2>/dev/null
  pulse_pid=
  [ -n "$pulse_dir" ] && rm -rf "$pulse_dir"
  pulse_dir=
}

# start_recording NAME: records the sink into SHOTS/NAME.raw (48 kHz, 16-bit,
# stereo) until stop_recording.
start_recording() {
  stop_recording
  env $(pulse_env) parec --raw --format=s16le --rate=48000 --channels=2 \
    --device=frostpane_sink.monitor >"$SHOTS/$1.raw" 2>>"$SHOTS/parec.log" &
  record_pid=$!
  recording=$1
}

stop_recording() {
  [ -n "$record_pid" ] || return 0
  kill "$record_pid" 2>/dev/null
  wait "$record_pid" 2>/dev/null
  record_pid=
  sox -t raw -r 48000 -c 2 -b 16 -e signed-integer "$SHOTS/$recording.raw" "$SHOTS/$recording.wav" 2>/dev/null
}

# rms NAME [SOX EFFECTS...]: the RMS amplitude (0..1) of a recording, after
# the effects (a band-pass filter, a trim).
rms() {
  local name=$1
  shift
  sox "$SHOTS/$name.wav" -n "$@" stat 2>&1 | awk '/^RMS +amplitude/ { print $3 }'
}
# peak NAME [SOX EFFECTS...]: the largest absolute sample value (0..1).
peak() {
  local name=$1
  shift
  sox "$SHOTS/$name.wav" -n "$@" stat 2>&1 | awk '/^Maximum amplitude/ { max = $3 } /^Minimum amplitude/ { min = -$3 }
    END { print (max > min ? max : min) }'
}
