#!/usr/bin/env bash
# Fetches the pinned SQLite amalgamation into the build tree.
#
# Debian ships no amalgamation, so we take the unmodified copy that the npm
# package better-sqlite3 carries in deps/sqlite3/. The two files are checked
# against known hashes; a mismatch stops the build rather than compiling an
# unknown SQLite. Usage: fetch-sqlite.sh DEST_DIR  (idempotent)
set -euo pipefail

PKG=better-sqlite3@12.9.0
VERSION=3.53.0
SHA_C=391855ddc7af04001364430884d263cbe8638f852c83865823a2d08358f6b87d
SHA_H=8e43a79982422f4720685f62839718f0e41410c1b71355aa32af3615ccd9e31d

dest=${1:?usage: fetch-sqlite.sh DEST_DIR}
out="$dest/sqlite-$VERSION"

verify() {
  echo "$SHA_C  $out/sqlite3.c" | sha256sum --check --status &&
  echo "$SHA_H  $out/sqlite3.h" | sha256sum --check --status
}

if [[ -f "$out/sqlite3.c" && -f "$out/sqlite3.h" ]] && verify; then
  exit 0
fi

command -v npm >/dev/null || { echo "fetch-sqlite: npm is required" >&2; exit 1; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
# npm's messages are kept and shown only when the fetch fails: its own words
# (no network, a proxy, a registry refusing the request) are what the reader
# needs, and a successful fetch stays quiet.
if ! (cd "$tmp" && npm pack --loglevel=warn "$PKG" >/dev/null 2>"$tmp/npm.err"); then
  {
    echo "fetch-sqlite: could not fetch $PKG (SQLite $VERSION) with npm pack; npm said:"
    sed 's/^/  /' "$tmp/npm.err"
  } >&2
  exit 1
fi
tar -xzf "$tmp"/better-sqlite3-*.tgz -C "$tmp" package/deps/sqlite3/sqlite3.c package/deps/sqlite3/sqlite3.h
mkdir -p "$out"
cp "$tmp/package/deps/sqlite3/sqlite3.c" "$tmp/package/deps/sqlite3/sqlite3.h" "$out/"
if ! verify; then
  rm -f "$out/sqlite3.c" "$out/sqlite3.h"
  echo "fetch-sqlite: checksum mismatch for SQLite $VERSION from $PKG" >&2
  exit 1
fi
echo "fetch-sqlite: SQLite $VERSION ready in $out"
