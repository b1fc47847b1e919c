#!/usr/bin/env bash
# Runs every benchmark inside the Wine harness; each prints its own figures.
set -euo pipefail
build_dir=$1
status=0
for bench in "$build_dir"/bin/*_bench.exe; do
  [ -e "$bench" ] || continue
  echo "== $(basename "$bench" .exe) =="
  /usr/lib/wine/wine64 "$bench" || status=1
  echo
done
exit $status
