#!/usr/bin/env bash
# Installs what building and testing Lorewell needs on Debian 12, with the
# packages' recommendations (Xvfb's fonts, Wine's helpers), as verified. Idempotent:
# packages already present are not fetched again.
set -euo pipefail

PACKAGES=(
  cmake ninja-build g++ make git ca-certificates npm python3
  googletest libgtest-dev libbenchmark-dev sqlite3
  g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev binutils-mingw-w64-x86-64
  wine wine64 fonts-wine xvfb xauth imagemagick x11-utils libasound2
  python3-fonttools fonts-dejavu-core
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
# npm may come from outside Debian's packages (nodesource, nvm): any npm will do.
if command -v npm >/dev/null; then
  missing=("${missing[@]/npm/}")
fi
missing=($(printf '%s\n' "${missing[@]}" | sed '/^$/d'))

if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}" >&2
  SUDO=
  [[ $(id -u) -eq 0 ]] || SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}" >/dev/null
fi
