#!/usr/bin/env bash
# Builds the release program and its Debian package, and checks the package with lintian.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
command -v lintian >/dev/null || { sudo=""; [ "$(id -u)" -ne 0 ] && sudo="sudo"; $sudo apt-get install -y -qq lintian; }
"$root/scripts/build.sh" release -DVL_TESTS=OFF
(cd "$root/build" && cpack -G DEB)
package="$(ls -t "$root"/build/vellamorinth_*.deb | head -n1)"
lintian --no-tag-display-limit "$package" || true
echo "$package"
