#!/usr/bin/env bash
# Installs, builds (AddressSanitizer + UndefinedBehaviorSanitizer, and ThreadSanitizer for
# the engine and MIDI), starts a private JACK server with its dummy backend, a private PulseAudio
# server with a null sink and a virtual desktop (Xvfb with openbox), and runs every test.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" asan
"$root/scripts/build.sh" tsan
"$root/scripts/with-servers.sh" bash -c '
status=0
ctest --test-dir "$1/build-asan" --output-on-failure -j2 --timeout 300 || status=1
ctest --test-dir "$1/build-tsan" --output-on-failure -j2 --timeout 300 || status=1
exit $status' _ "$root"
