#!/usr/bin/env bash
# Configures and builds one or both configurations.
#   scripts/build.sh native|win|all
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
what=${1:-all}

if [[ $what == native || $what == all ]]; then
  cmake -S "$root" -B "$root/build/native" -G Ninja >/dev/null
  cmake --build "$root/build/native"
fi
if [[ $what == win || $what == all ]]; then
  cmake -S "$root" -B "$root/build/win" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
  cmake --build "$root/build/win"
fi
