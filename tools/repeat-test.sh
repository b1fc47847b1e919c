#!/usr/bin/env bash
# Runs each test whose ctest name matches a pattern several times in a row under one Wine harness,
# and counts the failures: a test that fails once in twenty runs costs landings, and a single run
# does not show it. The output of each failed run is kept, and a scenario's folder of journals.
#
#   tools/repeat-test.sh <build dir> <ctest name pattern> [times, default 20]
#   e.g. tools/repeat-test.sh build/mingw '^PluginScenario\.' 20
set -euo pipefail
if [ $# -lt 2 ]; then
  echo "usage: $0 <build dir> <ctest name pattern> [times]" >&2
  exit 2
fi
build_dir=$(cd "$1" && pwd)
pattern=$2
times=${3:-20}
here=$(cd "$(dirname "$0")" && pwd)

if [ -z "${KX_REPEAT_INSIDE:-}" ]; then
  KX_REPEAT_INSIDE=1 exec "$here/wine-harness.sh" "$build_dir" -- "$0" "$build_dir" "$pattern" "$times"
fi

mapfile -t tests < <(ctest --test-dir "$build_dir" -N -R "$pattern" | sed -n 's/^ *Test *#[0-9]*: //p')
if [ ${#tests[@]} -eq 0 ]; then
  echo "repeat-test: no test matches '$pattern'" >&2
  exit 2
fi
logs="$build_dir/repeat-logs"
mkdir -p "$logs"
total_failed=0
total_runs=0
for test in "${tests[@]}"; do
  failed=0
  exact="^${test//./\\.}\$"
  for run in $(seq 1 "$times"); do
    log="$logs/$test.$run.log"
    if ctest --test-dir "$build_dir" -R "$exact" --output-on-failure >"$log" 2>&1; then
      rm -f "$log"
    else
      failed=$((failed + 1))
      # A scenario's journals and the plug-in's log are overwritten by the next run: keep them.
      run_folder="$build_dir/scenario-runs/${test#PluginScenario.}"
      [ -d "$run_folder" ] && cp -r "$run_folder" "$logs/$test.$run"
      echo "  $test: run $run failed, output in $log"
    fi
  done
  echo "$test: $((times - failed)) passed, $failed failed of $times"
  total_failed=$((total_failed + failed))
  total_runs=$((total_runs + times))
done
echo "repeat-test: ${#tests[@]} tests, $total_runs runs"
echo "$((total_runs - total_failed)) passed, $total_failed failed"
[ $total_failed -eq 0 ]
