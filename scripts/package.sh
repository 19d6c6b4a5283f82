#!/usr/bin/env bash
# Builds Lorewell for Windows in release form and packs it into dist/:
#   lorewell-VERSION-win64.zip      portable: lorewell.exe, lorewell-cli.exe,
#                                   README.md, LICENSE in one folder
#   lorewell-VERSION-setup.exe      per-user installer (when makensis, from
#                                   Debian's nsis package, is installed)
# The version is CMake's project VERSION, read from the generated header.
#
#   scripts/package.sh           build and pack
#   scripts/package.sh --check   also unpack and install both under Wine,
#                                start and close the program from each, and
#                                uninstall: nothing of the package is left
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
check=${1:-}
build="$root/build/release"
dist="$root/dist"

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DLOREWELL_DEPS_DIR="$root/build/deps" >/dev/null
cmake --build "$build" --target lorewell lorewell-cli lwctl >/dev/null
version=$(sed -n 's/^#define LW_VERSION_STRING "\(.*\)"$/\1/p' "$build/generated/version.h")
[[ -n $version ]] || { echo "package: no version in $build/generated/version.h" >&2; exit 1; }

name="lorewell-$version-win64"
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir -p "$stage/$name" "$dist"
x86_64-w64-mingw32-strip -o "$stage/$name/lorewell.exe" "$build/lorewell.exe"
x86_64-w64-mingw32-strip -o "$stage/$name/lorewell-cli.exe" "$build/lorewell-cli.exe"
cp "$root/README.md" "$root/LICENSE" "$stage/$name/"
rm -f "$dist/$name.zip"
(cd "$stage" && zip -q -r -X "$dist/$name.zip" "$name")
echo "$dist/$name.zip"

setup=
if command -v makensis >/dev/null; then
  setup="$dist/lorewell-$version-setup.exe"
  makensis -V2 -DVERSION="$version" -DSOURCE="$stage/$name" -DOUTFILE="$setup" \
    "$root/scripts/installer.nsi" >/dev/null
  echo "$setup"
else
  echo "package: makensis not found (apt install nsis): no installer made" >&2
fi

[[ $check == --check ]] || exit 0

# --- The check under Wine -----------------------------------------------------------
source "$root/scripts/wine-env.sh" "$build"
wine_start >/dev/null 2>&1
trap 'wine_stop; rm -rf "$stage"' EXIT
lwctl="$build/lwctl.exe"
library="$stage/check.db"

# Starts `exe` on a library of its own (so no demo library is made), waits
# for its window and closes it.
start_and_close() {
  local exe=$1
  "$LW_WINE" "$exe" "Z:${library//\//\\}" >/dev/null 2>&1 &
  local app=$!
  "$LW_WINE" "$lwctl" wait-rect 60 >/dev/null 2>&1 || { echo "package: $exe did not show its window" >&2; exit 1; }
  "$LW_WINE" "$lwctl" close 20 >/dev/null 2>&1 || { echo "package: $exe did not close" >&2; exit 1; }
  wait "$app" || true
}

# A library to open.
python3 - "$library" <<'PY'
import sqlite3, sys
db = sqlite3.connect(sys.argv[1])
db.executescript("PRAGMA page_size=4096; PRAGMA user_version=1;"
                 "CREATE TABLE tab (id INTEGER, p INTEGER, i INTEGER, t TEXT, r BLOB);"
                 "INSERT INTO tab VALUES (100, 0, 0, 'Check', NULL);")
PY

unpacked="$stage/unpacked"
mkdir -p "$unpacked"
(cd "$unpacked" && unzip -q "$dist/$name.zip")
start_and_close "$unpacked/$name/lorewell.exe"
[[ -f "$unpacked/$name/lorewell.set" ]] || { echo "package: the portable program wrote no settings" >&2; exit 1; }
echo "check: the portable zip unpacks, starts and closes"

[[ -n $setup ]] || exit 0
# The Wine user's profile (named after the Unix user).
profile=$(find "$WINEPREFIX/drive_c/users" -mindepth 1 -maxdepth 1 -type d ! -name Public | head -n 1)
programs="$profile/AppData/Local/Programs/Lorewell"
start_menu="$profile/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Lorewell"
"$LW_WINE" "$setup" /S >/dev/null 2>&1
for f in lorewell.exe lorewell-cli.exe uninstall.exe; do
  [[ -f "$programs/$f" ]] || { echo "package: the installer did not place $f" >&2; exit 1; }
done
[[ -f "$start_menu/Lorewell.lnk" ]] || { echo "package: no Start menu entry" >&2; exit 1; }
start_and_close "$programs/lorewell.exe"
"$LW_WINE" "$programs/uninstall.exe" /S >/dev/null 2>&1
for _ in $(seq 50); do [[ -e "$programs" ]] || break; sleep 0.2; done
[[ ! -e "$programs" ]] || { echo "package: left behind: $(ls -A "$programs")" >&2; exit 1; }
[[ ! -e "$start_menu" ]] || { echo "package: the Start menu entry was left" >&2; exit 1; }
if "$LW_WINE" reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Lorewell' >/dev/null 2>&1; then
  echo "package: the uninstall entry was left in the registry" >&2
  exit 1
fi
echo "check: the installer installs, starts, closes and uninstalls without a trace"
