#!/usr/bin/env bash
# Installs, builds the release program, prepares the demo program folder and starts it.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" release
home="${VELLAMORINTH_HOME:-$root/demo}"
mkdir -p "$home"
if [ -x "$root/build/bin/vl-make-demo" ] && [ ! -e "$home/YourSongs/Setlist.txt" ]; then
  "$root/build/bin/vl-make-demo" "$home"
fi
export VELLAMORINTH_HOME="$home"
exec "$root/build/bin/vellamorinth" "$@"
