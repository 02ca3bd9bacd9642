#!/usr/bin/env bash
# Builds the release program and its Debian package, and checks the package with lintian.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
command -v lintian >/dev/null || { sudo=""; [ "$(id -u)" -ne 0 ] && sudo="sudo"; $sudo apt-get install -y -qq lintian; }
# Installed to /usr, the engine module goes to the multiarch library folder.
"$root/scripts/build.sh" release -DVL_TESTS=OFF -DCMAKE_INSTALL_PREFIX=/usr
(cd "$root/build" && cpack -G DEB)
package="$(ls -t "$root"/build/vellamorinth_*.deb | head -n1)"
lintian --no-tag-display-limit "$package" || true
echo "$package"
