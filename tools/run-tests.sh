#!/usr/bin/env bash
# The tests of `make test`, after the lint and the Windows build: every Wine test, and beside them
# the native build with its tests and short fuzz runs (the Wine tests mostly wait, so the two
# overlap well). The native output follows the Wine output; the last lines sum both up, and either
# failing fails the run.
#
#   tools/run-tests.sh <build dir> <ctest preset> <Wine workers>
set -uo pipefail
if [ $# -ne 3 ]; then
  echo "usage: $0 <build dir> <ctest preset> <Wine workers>" >&2
  exit 2
fi
build_dir=$1
preset=$2
workers=$3
here=$(cd "$(dirname "$0")/.." && pwd)
native_log=$build_dir/native-test.log
wine_log=$build_dir/wine-test.log

(
  make -C "$here" --no-print-directory native-test >"$native_log" 2>&1
  echo $? >"$native_log.status"
) &
native_pid=$!

KX_WINE_WORKERS=$workers "$here/tools/wine-harness.sh" "$build_dir" -- \
  "$here/tools/run-ctest.sh" --preset "$preset" | tee "$wine_log"
wine=${PIPESTATUS[0]}
wait "$native_pid"
native=$(cat "$native_log.status" 2>/dev/null || echo 1)

echo
echo "== native build and tests ($native_log)"
cat "$native_log"
summary() { grep -E '^[0-9]+% tests passed|^Total Test time' "$1" | tr '\n' ' '; }
echo
echo "make test: Wine: $(summary "$wine_log")(exit $wine)"
echo "make test: native: $(summary "$native_log")(exit $native)"
[ "$wine" -eq 0 ] && [ "$native" -eq 0 ]
