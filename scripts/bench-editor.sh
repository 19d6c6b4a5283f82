#!/usr/bin/env bash
# The page panes against a bare rich-edit control in the same run, under
# Wine and Xvfb: switching between 100 KB pages, a keystroke on a 5 MB page,
# the automatic save of a 1 MB page, leaving a 1 MB page, export of a 5 MB
# page beside the sqlite3 shell writing its bytes to a file; and Find over
# 32,768 pages beside reading them with one statement. Usage:
# scripts/bench-editor.sh [BUILD_DIR]
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
  --gtest_filter='EditorTiming*:FindTiming*' >"$log" 2>&1) || { cat "$log"; exit 1; }
grep -E '^(switch|keystroke|  \(|save|leaving|export|find|  floor)' "$log"
rm -f "$log"
# The floor of the export: the shell writing the same page's bytes.
if command -v sqlite3 >/dev/null && [[ -f "$build/export-bench.db" ]]; then
  out=$(mktemp)
  times=()
  for _ in 1 2 3 4 5; do
    start=$(date +%s%N)
    sqlite3 "$build/export-bench.db" "SELECT writefile('$out', r) FROM tab WHERE id = 504" >/dev/null
    times+=($(( ($(date +%s%N) - start) / 1000 )))
  done
  median=$(printf '%s\n' "${times[@]}" | sort -n | sed -n 3p)
  printf '  floor: sqlite3 shell writing the page, %d.%03d ms\n' $((median / 1000)) $((median % 1000))
  rm -f "$out" "$build/export-bench.db"
fi
