# shellcheck shell=bash
# shellcheck disable=SC2154,SC2034 # $name, $build_dir and $root come from the soak script; $work goes back to it
# Sourced by the soak scripts after they set $name, $build_dir and $root: the scenario's place
# beside the daemon's configuration, running it, and the common end of the report.
scenario="$build_dir/soak/$name.scn"
mkdir -p "$(dirname "$scenario")"
cp "$root/tests/plugin/plugin_e2e.cfg" "$(dirname "$scenario")/"
failures=0

# Runs the written scenario; sets $run_log, $status and $work (the run's folder of journals).
run_soak_scenario() {
  run_log="$build_dir/soak/$name.out"
  status=0
  bash "$root/tools/run-plugin-scenario.sh" "$build_dir" "$scenario" >"$run_log" 2>&1 || status=$?
  work="$build_dir/scenario-runs/$name"
}

# Counts a failed scenario run among the failures and ends the script with the verdict.
finish_soak() {
  if [ "$status" -ne 0 ]; then
    echo "$name: the scenario run failed (exit code $status):" >&2
    grep -v '^  ' "$run_log" | tail -n 30 >&2
    failures=$((failures + 1))
  fi
  [ $failures -eq 0 ] || exit 1
  echo "$name: passed"
}
