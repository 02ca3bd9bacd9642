# Sourced: starts and stops a private PulseAudio server with one stereo null sink
# "vellamorinth_null" (listed as "Vellamorinth-Null"), for the tests of ordinary devices.
# Clients find it through PULSE_SERVER; ALSA's default device reaches it through ALSA's
# pulse plugin. Needs no D-Bus and works as root. Run as "pulse-null.sh run DIR", it runs
# such a server on DIR/native in the foreground (tests that kill and restart their own).
pulse_null_exec() {
  mkdir -p "$1"
  HOME="$1" XDG_CONFIG_HOME="$1/config" XDG_RUNTIME_DIR="$1" PULSE_RUNTIME_PATH="$1" PULSE_STATE_PATH="$1/state" \
    exec pulseaudio -n --daemonize=no --exit-idle-time=-1 --system=false --disallow-exit \
      --use-pid-file=no --realtime=no --high-priority=no --log-target=stderr \
      -L "module-null-sink sink_name=vellamorinth_null rate=44100 channels=2 sink_properties=device.description=Vellamorinth-Null" \
      -L "module-native-protocol-unix auth-anonymous=1 socket=$1/native"
}
if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  if [ "${1:-}" = run ] && [ -n "${2:-}" ]; then pulse_null_exec "$2"; fi
  echo "usage: $0 run DIR" >&2; exit 2
fi
pulse_dir="/tmp/vellamorinth-pulse-$$"
export PULSE_SERVER="unix:$pulse_dir/native"
pulse_pid=""
start_pulse_null() {
  mkdir -p "$pulse_dir"
  ( pulse_null_exec "$pulse_dir" ) >"$pulse_dir.log" 2>&1 &
  pulse_pid=$!
  for _ in $(seq 1 50); do
    if pactl info >/dev/null 2>&1; then return 0; fi
    sleep 0.1
  done
  echo "pulseaudio did not start:" >&2; cat "$pulse_dir.log" >&2; return 1
}
stop_pulse_null() {
  [ -n "$pulse_pid" ] && kill "$pulse_pid" 2>/dev/null && wait "$pulse_pid" 2>/dev/null || true
  rm -rf "$pulse_dir"
}
