# Sourced: starts and stops a private jackd with the dummy backend (8 playback ports).
# Clients find it through JACK_DEFAULT_SERVER. Run as "jack-dummy.sh run NAME", it runs
# such a server named NAME in the foreground (tests that kill and restart their own server).
jack_dummy_exec() {
  JACK_NO_AUDIO_RESERVATION=1 exec jackd -n "$1" -d dummy -r "${VL_JACK_RATE:-44100}" -p 256 -C 2 -P 8
}
if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  if [ "${1:-}" = run ] && [ -n "${2:-}" ]; then jack_dummy_exec "$2"; fi
  echo "usage: $0 run NAME" >&2; exit 2
fi
export JACK_DEFAULT_SERVER="vellamorinth-test-$$"
export JACK_NO_AUDIO_RESERVATION=1
export JACK_NO_START_SERVER=1
jack_pid=""
start_jack_dummy() {
  ( jack_dummy_exec "$JACK_DEFAULT_SERVER" ) >/tmp/jackd-$$.log 2>&1 &
  jack_pid=$!
  for _ in $(seq 1 50); do
    if jack_lsp -s "$JACK_DEFAULT_SERVER" >/dev/null 2>&1; then return 0; fi
    sleep 0.1
  done
  echo "jackd did not start:" >&2; cat /tmp/jackd-$$.log >&2; return 1
}
stop_jack_dummy() {
  [ -n "$jack_pid" ] && kill "$jack_pid" 2>/dev/null && wait "$jack_pid" 2>/dev/null || true
}
