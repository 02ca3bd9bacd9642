#!/usr/bin/env bash
# Installs, builds the release program (only the program, its engine module and the demo
# maker: no tests), prepares the demo program folder and starts it.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
VL_BUILD_TARGETS="vellamorinth vellamorinth-engine vl-make-demo" "$root/scripts/build.sh" release
home="${VELLAMORINTH_HOME:-$root/demo}"
mkdir -p "$home"
if [ -x "$root/build/bin/vl-make-demo" ] && [ ! -e "$home/YourSongs/Setlist.txt" ]; then
  "$root/build/bin/vl-make-demo" "$home"
fi
export VELLAMORINTH_HOME="$home"
exec "$root/build/bin/vellamorinth" "$@"
