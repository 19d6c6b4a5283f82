#!/usr/bin/env bash
# The page panes against a bare rich-edit control in the same run, under
# Wine and Xvfb: switching between 100 KB pages, a keystroke on a 5 MB page,
# the automatic save of a 1 MB page, leaving a 1 MB page; and Find over
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
grep -E '^(switch|keystroke|  \(|save|leaving|find|  floor)' "$log"
rm -f "$log"
