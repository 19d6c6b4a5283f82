#!/usr/bin/env bash
# Configures and builds one or both configurations, everything or only the
# named targets.
#   scripts/build.sh native|win|all [TARGET...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
what=${1:-all}
targets=("${@:2}")
case $what in
  native|win) ;;
  all) if ((${#targets[@]})); then
         echo "build.sh: targets need native or win; the two builds name theirs differently" >&2
         exit 2
       fi ;;
  *) echo "usage: build.sh native|win|all [TARGET...]" >&2; exit 2 ;;
esac
target_args=()
((${#targets[@]} == 0)) || target_args=(--target "${targets[@]}")

if [[ $what == native || $what == all ]]; then
  cmake -S "$root" -B "$root/build/native" -G Ninja >/dev/null
  cmake --build "$root/build/native" "${target_args[@]}"
fi
if [[ $what == win || $what == all ]]; then
  cmake -S "$root" -B "$root/build/win" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
  cmake --build "$root/build/win" "${target_args[@]}"
fi
