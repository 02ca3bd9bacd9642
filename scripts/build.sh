#!/usr/bin/env bash
# Configures and builds one build type: release (default), asan or tsan.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
kind="${1:-release}"
case "$kind" in
  release) dir="$root/build"; flags=(-DCMAKE_BUILD_TYPE=Release) ;;
  asan) dir="$root/build-asan"; flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DVL_SANITIZE=ON) ;;
  tsan) dir="$root/build-tsan"; flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DVL_TSAN=ON) ;;
  *) echo "usage: $0 [release|asan|tsan]" >&2; exit 2 ;;
esac
shift || true
cmake -S "$root" -B "$dir" -G Ninja "${flags[@]}" "$@" >/dev/null
cmake --build "$dir" -j"$(nproc)"
