#!/usr/bin/env bash
# Runs every benchmark inside the Wine harness; each prints its own figures. Benchmarks are the
# executables named *_bench.exe and the scripts bench/<area>/*.sh (which take the build folder).
set -euo pipefail
build_dir=$1
here=$(cd "$(dirname "$0")/.." && pwd)
status=0
# Fresh profile folders: the plug-in runs with its default settings, logging off.
source "$here/tools/profile-folders.sh"
for bench in "$build_dir"/bin/*_bench.exe; do
  [ -e "$bench" ] || continue
  echo "== $(basename "$bench" .exe) =="
  "$KX_WINE" "$bench" || status=1
  echo
done
for bench in "$here"/bench/*/*.sh; do
  [ -e "$bench" ] || continue
  echo "== $(basename "$bench" .sh) =="
  bash "$bench" "$build_dir" || status=1
  echo
done
exit $status
