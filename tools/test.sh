#!/usr/bin/env bash
# Runs every test: the simulation tests (ASan + UBSan), then the checks on the
# built Windows executables and the end-to-end runs under Wine.
set -uo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh test || exit 1

log=$(mktemp)
trap 'rm -f "$log"' EXIT
status=0

run() {
  echo "== $*"
  "$@" 2>&1 | tee -a "$log"
  local code=${PIPESTATUS[0]}
  [ "$code" -eq 0 ] || status=1
  return "$code"
}

if run cmake --preset sim >/dev/null && run cmake --build --preset sim -j2; then
  run ctest --preset sim
fi
if run cmake --preset windows >/dev/null && run cmake --build --preset windows -j2; then
  run ctest --preset windows
fi
# Two more builds in other folders must give the same bytes (about a minute).
if run tests/binary/check_reproducible.sh; then
  echo "100% tests passed, 0 tests failed out of 1" >>"$log"
else
  echo "0% tests passed, 1 tests failed out of 1" >>"$log"
fi

# End to end under Wine: the programs driven as a user would (a few minutes).
e2e_log=$(mktemp)
if [ "$status" -eq 0 ] || [ -f build/windows/installer/VelodarInstaller.exe ]; then
  echo "== tests/e2e/run.sh"
  tests/e2e/run.sh 2>&1 | tee "$e2e_log"
  [ "${PIPESTATUS[0]}" -eq 0 ] || status=1
fi
e2e_counts=$(grep -E '^[0-9]+ passed, [0-9]+ failed' "$e2e_log" | tail -n 1 | sed 's/^\([0-9]*\) passed, \([0-9]*\) failed.*/\1 \2/')
rm -f "$e2e_log"

# One closing line over all the test runs.
passed=0
failed=0
while read -r p f; do
  passed=$((passed + p))
  failed=$((failed + f))
done < <(sed -n 's/.*tests passed, \([0-9]*\) tests failed out of \([0-9]*\).*/\2 \1/p' "$log" |
         awk '{print $1 - $2, $2}')
if [ -n "$e2e_counts" ]; then
  passed=$((passed + ${e2e_counts% *}))
  failed=$((failed + ${e2e_counts#* }))
fi
[ "$status" -eq 0 ] || [ "$failed" -gt 0 ] || failed=1
echo "$passed passed, $failed failed"
exit "$status"
