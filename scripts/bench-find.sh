#!/usr/bin/env bash
# lorewell-cli find over a library of 32,768 nodes (pages of about 2 KB of
# RTF) for a word only the last page holds, and for a word no page holds,
# beside the sqlite3 shell reading the same pages (the floor). Medians of
# five. Usage: scripts/bench-find.sh [NATIVE_BUILD_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$root/build/native}")
if [[ $build == "$root/build/native" ]]; then
  bash "$root/scripts/build.sh" native lorewell-cli >/dev/null
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
lib="$work/find-32768.db"
python3 - "$lib" <<'PY'
import sqlite3, sys
db = sqlite3.connect(sys.argv[1])
db.executescript("PRAGMA page_size=4096; PRAGMA journal_mode=OFF; PRAGMA user_version=1;"
                 "CREATE TABLE tab (id INTEGER, p INTEGER, i INTEGER, t TEXT, r BLOB);")
line = "Lorem ipsum dolor sit amet, \\b consectetur\\b0  adipiscing elit.\\par "
page = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Calibri;}}\\f0\\fs22 " + line * 30 + "}"
rows, n = [], 0
def add(kind, parent, order, text=page):
    global n
    n += 1
    rows.append((n * 100 + kind, parent, order, "Node", (text + "\0").encode()))
    return n * 100 + kind
f = 0
while n < 32768:
    folder = add(0, 0, f); f += 1
    for b in range(32):
        if n >= 32768: break
        book = add(2, folder, b)
        for x in range(15):
            if n >= 32768: break
            add(4, book, x)
last = rows[-1]
rows[-1] = last[:4] + ((page[:-1] + " zanzibar}\0").encode(),)
db.executemany("INSERT INTO tab VALUES (?,?,?,?,?)", rows)
db.commit()
PY
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
timeit() { local s e; s=$(date +%s%N); "$@" >/dev/null; e=$(date +%s%N); echo $(( (e - s) / 1000000 )); }
for word in zanzibar nowhereword; do
  ours=$(for i in 1 2 3 4 5; do timeit "$build/lorewell-cli" find "$lib" "$word"; done | median)
  echo "find '$word': lorewell-cli ${ours} ms"
done
floor=$(for i in 1 2 3 4 5; do timeit sqlite3 "$lib" "SELECT r FROM tab"; done | median)
echo "floor: sqlite3 shell reading every page ${floor} ms"
"$build/lorewell-cli" find "$lib" zanzibar
