#!/usr/bin/env bash
# Runs the soak tests with a hundred cycles each (or the number given) inside the Wine harness and
# prints their figures; each soak has its own time limit and ends its processes.
#   tools/soak.sh <build dir> [cycles]
set -uo pipefail
build_dir=$1
cycles=${2:-100}
here=$(cd "$(dirname "$0")/.." && pwd)
status=0
for soak in daemon_restarts plugin_restarts; do
  echo "== $soak ($cycles cycles) =="
  bash "$here/tests/soak/$soak.sh" "$build_dir" "$cycles" || status=1
  echo
done
exit $status
