#!/usr/bin/env bash
# Installs, builds (AddressSanitizer + UndefinedBehaviorSanitizer, and ThreadSanitizer for
# the engine and MIDI), starts a private JACK server with its dummy backend, a private PulseAudio
# server with a null sink and a virtual desktop (Xvfb with openbox), and runs every test.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" asan
"$root/scripts/build.sh" tsan

source "$root/scripts/jack-dummy.sh"
source "$root/scripts/pulse-null.sh"
source "$root/scripts/desktop.sh"
trap 'stop_desktop; stop_pulse_null; stop_jack_dummy' EXIT
start_jack_dummy
start_pulse_null
# The window-manager tests drive the real program on this display.
start_desktop

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export LSAN_OPTIONS=suppressions="$root/scripts/lsan.supp"
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:suppressions="$root/scripts/tsan.supp"
status=0
ctest --test-dir "$root/build-asan" --output-on-failure -j2 --timeout 300 || status=1
ctest --test-dir "$root/build-tsan" --output-on-failure -j2 --timeout 300 || status=1
exit $status
