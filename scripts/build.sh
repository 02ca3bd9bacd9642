#!/usr/bin/env bash
# Configures and builds one build type: release (default), asan or tsan. With
# VL_BUILD_TARGETS="a b" only those targets (and what they need) are built.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
kind="${1:-release}"
case "$kind" in
  release) dir="$root/build"; flags=(-DCMAKE_BUILD_TYPE=Release) ;;
  asan) dir="$root/build-asan"; flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DVL_SANITIZE=ON) ;;
  tsan) dir="$root/build-tsan"; flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DVL_TSAN=ON) ;;
  bench) dir="$root/build-bench"; flags=(-DCMAKE_BUILD_TYPE=Release -DVL_BENCH=ON -DVL_TESTS=OFF) ;;
  fuzz) dir="$root/build-fuzz"; flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DVL_FUZZ=ON -DVL_TESTS=OFF
                                        -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++) ;;
  *) echo "usage: $0 [release|asan|tsan|bench|fuzz]" >&2; exit 2 ;;
esac
shift || true
# Worktrees of one repository share compiled objects through ccache when it is installed.
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$(dirname "$root")}" CCACHE_NOHASHDIR=1
  flags+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$root" -B "$dir" -G Ninja "${flags[@]}" "$@" >/dev/null
targets=()
for t in ${VL_BUILD_TARGETS:-}; do targets+=(--target "$t"); done
cmake --build "$dir" -j"$(nproc)" "${targets[@]}"
