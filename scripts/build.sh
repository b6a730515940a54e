#!/usr/bin/env bash
# Configures and builds one or more architectures: scripts/build.sh [x86_64] [i686]
# The build trees live in $ZOLAN_BUILD_ROOT (default: build/ in the checkout).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_root=${ZOLAN_BUILD_ROOT:-$root/build}
archs=("$@")
[ ${#archs[@]} -gt 0 ] || archs=(x86_64 i686)
for arch in "${archs[@]}"; do
  dir=$build_root/$arch
  if [ ! -f "$dir/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$arch.cmake" \
          -DCMAKE_BUILD_TYPE=Release >/dev/null
  fi
  # The 32-bit build only has to compile and link; its tests cannot run on this machine.
  if [ "$arch" = x86_64 ]; then
    cmake --build "$dir" -j "$(nproc)"
  else
    cmake --build "$dir" -j "$(nproc)" --target all
  fi
done
