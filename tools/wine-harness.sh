#!/usr/bin/env bash
# Runs a command with a working Wine behind it: an Xvfb display first (a wineserver started without
# DISPLAY stays display-less and later window creation fails), then a Wine prefix inside the build
# tree and one wineserver kept alive for the whole run. Both are stopped afterwards, also on failure.
#
#   tools/wine-harness.sh <build dir> -- <command> [args...]
set -euo pipefail

if [ $# -lt 3 ] || [ "$2" != "--" ]; then
  echo "usage: $0 <build dir> -- <command> [args...]" >&2
  exit 2
fi
build_dir=$(cd "$1" && pwd)
shift 2

wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver
for tool in "$wine" "$wineserver" Xvfb; do
  command -v "$tool" >/dev/null || { echo "wine-harness: '$tool' is missing; run 'make setup'" >&2; exit 2; }
done

export WINEPREFIX="$build_dir/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64

xvfb_pid=""
cleanup() {
  "$wineserver" -k >/dev/null 2>&1 || true
  "$wineserver" -w >/dev/null 2>&1 || true
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" >/dev/null 2>&1 || true; wait "$xvfb_pid" 2>/dev/null || true; fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Xvfb picks a free display number itself and writes it to the descriptor.
display_file=$(mktemp)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 1 100); do
  [ -s "$display_file" ] && break
  sleep 0.1
done
display_number=$(tr -d '[:space:]' <"$display_file")
rm -f "$display_file"
if [ -z "$display_number" ]; then
  echo "wine-harness: Xvfb did not start" >&2
  exit 1
fi
export DISPLAY=":$display_number"

# A persistent wineserver spares every test executable Wine's start-up.
mkdir -p "$WINEPREFIX"
"$wineserver" -p >/dev/null 2>&1
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "wine-harness: initialising the Wine prefix in $WINEPREFIX (first run takes a while)"
fi
"$wine" wineboot --init >/dev/null 2>&1 || true

set +e
"$@"
status=$?
set -e
exit $status
