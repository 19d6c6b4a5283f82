#!/usr/bin/env bash
# Builds Lorewell (lorewell.exe, and lorewell-cli natively and for Windows)
# and starts it under Wine. With no display, it runs under Xvfb, saves a
# screenshot of the main window, prints its path and exits.
#
# The running copy lives in a data folder outside the source tree,
#   ${XDG_DATA_HOME:-$HOME/.local/share}/lorewell
# so a clean build (rm -rf build, git clean -xdf) never takes the user's
# notes. The program keeps its settings (lorewell.set) and makes its first-run
# demo library ("Lorewell demo.db") beside its executable, so the fresh
# lorewell.exe is copied into that folder and started there. This script
# writes nothing else into it: libraries and settings found there are never
# replaced or removed.
#
# The terminal shows only this script's own messages and real errors. Logs:
#   build/logs/run-build.log  compiler output (printed when a build fails)
#   build/logs/run-wine.log   Wine's stderr: its error lines and the sound
#                             library's complaints about the missing device
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
source scripts/utf8-locale.sh

# Resolved here, before wine-env.sh gives Wine a HOME of its own. A relative
# XDG_DATA_HOME is ignored, as the XDG rules say.
data_home=${XDG_DATA_HOME:-}
if [[ $data_home != /* ]]; then
  data_home=${HOME:?run.sh needs HOME (or XDG_DATA_HOME) to place the data folder}/.local/share
fi
data="$data_home/lorewell"

bash scripts/setup.sh

logs="$root/build/logs"
build_log="$logs/run-build.log"
wine_log="$logs/run-wine.log"
mkdir -p "$logs"
: >"$build_log"
: >"$wine_log"

if [[ ! -f build/win/lorewell.exe ]]; then
  echo "run: first build, this takes a few minutes (progress in $build_log)" >&2
fi
build() {  # build native|win TARGET...
  if ! bash scripts/build.sh "$@" >>"$build_log" 2>&1; then
    echo "run: the $1 build failed:" >&2
    grep -v '^\[[0-9]*/[0-9]*\] ' "$build_log" >&2 || true
    echo "run: the whole output is in $build_log" >&2
    exit 1
  fi
}
build native lorewell-cli
build win lorewell lorewell-cli lwctl

if [[ ! -d $data ]]; then
  mkdir -p "$data"
  echo "run: Lorewell keeps its settings and libraries in $data" >&2
fi
# Copied beside and renamed into place: a copy that is running keeps its own
# file, and nothing but lorewell.exe is written.
if ! cmp -s build/win/lorewell.exe "$data/lorewell.exe"; then
  cp build/win/lorewell.exe "$data/.lorewell.exe.new"
  mv -f "$data/.lorewell.exe.new" "$data/lorewell.exe"
fi

headless=
[[ -z "${DISPLAY:-}" ]] && headless=1
source scripts/wine-env.sh "$root/build"
# Wine's error lines may explain a failed start, so they are kept (in the
# log); its "fixme" lines are many and say nothing to the user.
export WINEDEBUG=fixme-all
wine_start
trap wine_stop EXIT

cd "$data"
if [[ -z $headless ]]; then
  "$LW_WINE" lorewell.exe "$@" 2>>"$wine_log"
  exit 0
fi

"$LW_WINE" lorewell.exe "$@" 2>>"$wine_log" &
app=$!
# lwctl's answer goes through a file, not a pipe: Wine's background services,
# started by whichever program comes first, would inherit a pipe and hold it
# open until the wineserver ends.
rect_file="$logs/run-rect.txt"
if ! "$LW_WINE" "$root/build/win/lwctl.exe" wait-rect 60 >"$rect_file" 2>>"$wine_log"; then
  echo "run: Lorewell's main window did not appear within 60 s; Wine's messages are in $wine_log" >&2
  exit 1
fi
read -r x y w h < <(tr -d '\r' <"$rect_file")
shot="$root/build/screenshots/lorewell-main-window.png"
mkdir -p "$(dirname "$shot")"
sleep 1  # let the first paint settle
import -window root -crop "${w}x${h}+${x}+${y}" "$shot"
if "$LW_WINE" "$root/build/win/lwctl.exe" close 10 >/dev/null 2>>"$wine_log"; then
  wait "$app" || true
else
  echo "run: Lorewell did not close within 10 s; stopping Wine" >&2
fi
echo "$shot"
