#!/usr/bin/env bash
# Runs a command with the servers the tests need: a private JACK dummy server, a private
# PulseAudio server with a null sink and a virtual desktop (Xvfb with openbox), and the
# sanitizer options of the test builds. Example: scripts/with-servers.sh ctest --test-dir build-asan -R Transport
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
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
"$@"
