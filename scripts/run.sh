#!/usr/bin/env bash
# Builds lorewell.exe and starts it under Wine. A first start makes a demo
# library beside the executable and shows it. With no display, it runs under
# Xvfb, saves a screenshot of the main window, prints its path and exits.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/setup.sh
bash scripts/build.sh win >/dev/null

headless=
[[ -z "${DISPLAY:-}" ]] && headless=1
source scripts/wine-env.sh "$root/build"
wine_start
trap wine_stop EXIT

cd build/win
if [[ -z $headless ]]; then
  "$LW_WINE" lorewell.exe "$@"
  exit 0
fi

"$LW_WINE" lorewell.exe "$@" &
app=$!
rect=$("$LW_WINE" lwctl.exe wait-rect 30 | tr -d '\r')
shot="$root/build/screenshots/lorewell-main-window.png"
mkdir -p "$(dirname "$shot")"
read -r x y w h <<<"$rect"
sleep 1  # let the first paint settle
import -window root -crop "${w}x${h}+${x}+${y}" "$shot"
"$LW_WINE" lwctl.exe close 10 >/dev/null
wait "$app" || true
echo "$shot"
