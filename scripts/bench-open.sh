#!/usr/bin/env bash
# From Open to the whole tree shown and the window idle, under Wine and Xvfb:
# libraries of 1,604, 9,642 and 32,768 nodes, five opens each, with the median
# and the process's peak memory. Usage: scripts/bench-open.sh [BUILD_DIR]
# (LW_BENCH_NODES=32768 times that size alone, for its own peak memory).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$root/build/win}")
if [[ $build == "$root/build/win" ]]; then
  bash "$root/scripts/build.sh" win lorewell_winbench >/dev/null
fi
source "$root/scripts/wine-env.sh" "$build"
wine_start
trap wine_stop EXIT
log=$(mktemp)
(cd "$build" && WINEDEBUG=-all "$LW_WINE" lorewell_winbench.exe --gtest_brief=1 \
  --gtest_filter='OpenTiming*' >"$log" 2>&1) || { cat "$log"; exit 1; }
grep -E '^open|^peak' "$log"
rm -f "$log"
