#!/usr/bin/env bash
# Import speed against its floor: `lorewell-cli import` of a 10,020-node
# library (20 folders x 20 books x 24 files, about 800 bytes a page) into an
# empty library, side by side with the same rows copied by the sqlite3 shell
# in one statement. Each is run three times on a fresh target; the medians
# and their ratio are printed. Usage: scripts/bench-import.sh [lorewell-cli]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cli=$(realpath -m "${1:-$root/build/native/lorewell-cli}")
if [[ ! -x $cli ]]; then
  bash "$root/scripts/build.sh" native >/dev/null
fi
command -v sqlite3 >/dev/null || { echo "bench-import: the sqlite3 shell is needed" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

sqlite3 source.db >/dev/null <<'SQL'
PRAGMA journal_mode = off; PRAGMA page_size = 4096; PRAGMA user_version = 1;
CREATE TABLE tab (id INTEGER, p INTEGER, i INTEGER, t TEXT, r BLOB);
BEGIN;
WITH RECURSIVE n(x) AS (SELECT 0 UNION ALL SELECT x + 1 FROM n WHERE x < 10019)
INSERT INTO tab
SELECT CASE WHEN x < 20 THEN (x + 1) * 100
            WHEN x < 420 THEN (x + 1) * 100 + 2
            ELSE (x + 1) * 100 + 4 END,
       CASE WHEN x < 20 THEN 0
            WHEN x < 420 THEN ((x - 20) / 20 + 1) * 100
            ELSE ((x - 420) / 24 + 21) * 100 + 2 END,
       CASE WHEN x < 20 THEN x WHEN x < 420 THEN (x - 20) % 20 ELSE (x - 420) % 24 END,
       'Node ' || x,
       CAST('{\rtf1\ansi ' || hex(randomblob(400)) || '\par}' AS BLOB)
FROM n;
COMMIT;
SQL
sqlite3 empty.db >/dev/null <<'SQL'
PRAGMA journal_mode = off; PRAGMA page_size = 4096; PRAGMA user_version = 1;
CREATE TABLE tab (id INTEGER, p INTEGER, i INTEGER, t TEXT, r BLOB);
SQL

now_ms() { echo $(( $(date +%s%N) / 1000000 )); }
median() { printf '%s\n' "$@" | sort -n | sed -n 2p; }

# Runs "$@" on a fresh copy of the empty library (target.db); prints ms.
timed() {
  cp empty.db target.db
  local start end
  start=$(now_ms)
  "$@" >/dev/null
  end=$(now_ms)
  echo $((end - start))
}

cli_runs=() shell_runs=()
for _ in 1 2 3; do
  cli_runs+=("$(timed "$cli" import target.db source.db)")
  rows=$(sqlite3 target.db 'SELECT count(*) FROM tab')
  [[ $rows == 10021 ]] || { echo "bench-import: import wrote $rows rows" >&2; exit 1; }
  shell_runs+=("$(timed sqlite3 target.db \
    "ATTACH 'source.db' AS s; BEGIN; INSERT INTO tab SELECT id, p, i, t, r FROM s.tab; COMMIT;")")
done
cli_ms=$(median "${cli_runs[@]}")
shell_ms=$(median "${shell_runs[@]}")
echo "lorewell-cli import:  ${cli_runs[*]} ms (median $cli_ms)"
echo "sqlite3 shell copy:   ${shell_runs[*]} ms (median $shell_ms)"
awk -v a="$cli_ms" -v b="$shell_ms" 'BEGIN { printf "ratio: %.1fx (goal: at most 3x)\n", a / (b > 0 ? b : 1) }'
