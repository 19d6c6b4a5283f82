#!/usr/bin/env bash
# Runs every test: the native core suite, the Windows build, and the Windows
# suite under Wine (headless through Xvfb when there is no display).
# Ends with one line "N passed, N failed".
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
source scripts/utf8-locale.sh

bash scripts/setup.sh || { echo "0 passed, 1 failed"; exit 1; }

results="$root/build/test-results"
rm -rf "$results"
mkdir -p "$results" "$root/build/screenshots"
build_failed=0

echo "== native build"
if ! bash scripts/build.sh native; then build_failed=1; fi
echo "== native tests"
if [[ -x build/native/lorewell_tests ]]; then
  build/native/lorewell_tests --gtest_brief=1 --gtest_output="xml:$results/native.xml"
fi

echo "== Windows build"
if ! bash scripts/build.sh win; then build_failed=1; fi
echo "== Windows tests under Wine"
if [[ -f build/win/lorewell_wintests.exe ]]; then
  source scripts/wine-env.sh "$root/build"
  wine_start
  export LW_SCREENSHOT_DIR="$root/build/screenshots"
  (cd build/win && timeout 1800 "$LW_WINE" lorewell_wintests.exe --gtest_brief=1 \
      --gtest_output="xml:Z:${results//\//\\}\\win.xml")
  wine_stop
fi

# Sum the counts of every suite that reported; a suite that crashed before
# writing its report counts as one failure.
passed=0
failed=$build_failed
for suite in native win; do
  xml="$results/$suite.xml"
  if [[ ! -s $xml ]]; then
    echo "suite '$suite' left no report" >&2
    failed=$((failed + 1))
    continue
  fi
  line=$(grep -m1 '<testsuites ' "$xml")
  tests=$(sed -E 's/.* tests="([0-9]+)".*/\1/' <<<"$line")
  fails=$(sed -E 's/.* failures="([0-9]+)".*/\1/' <<<"$line")
  errors=$(sed -E 's/.* errors="([0-9]+)".*/\1/' <<<"$line")
  disabled=$(sed -E 's/.* disabled="([0-9]+)".*/\1/' <<<"$line")
  skipped=$(grep -c '<skipped' "$xml" || true)
  passed=$((passed + tests - fails - errors - disabled - skipped))
  failed=$((failed + fails + errors))
done
echo "$passed passed, $failed failed"
[[ $failed -eq 0 ]]
