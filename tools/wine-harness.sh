#!/usr/bin/env bash
# Runs a command with a working Wine behind it: an Xvfb display first (a wineserver started without
# DISPLAY stays display-less and later window creation fails), then a Wine prefix inside the build
# tree, one wineserver and one desktop user (bin/desktop_keeper.exe) kept alive for the whole run.
# All are stopped afterwards, also on failure.
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

# A prefix of its own (KX_WINE_PREFIX) lets a second harness run beside this one on the same build.
export WINEPREFIX="${KX_WINE_PREFIX:-$build_dir/wineprefix}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64

xvfb_pid=""
keeper_pid=""
cleanup() {
  if [ -n "$keeper_pid" ]; then kill "$keeper_pid" >/dev/null 2>&1 || true; fi
  "$wineserver" -k >/dev/null 2>&1 || true
  if [ -n "$keeper_pid" ]; then wait "$keeper_pid" 2>/dev/null || true; fi
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
# The first program of a new wineserver makes Wine run `wineboot --init` by itself before it starts,
# so an explicit `wineboot --init` is a second one and starts a second services.exe. Two service
# managers then share the service pipes: a service started by one reports to the other, and the
# first kills it after its 10 s start timeout. On a prefix that already existed RpcSs came up during
# the quick start-up and stayed; on a fresh one it is not running yet, and every test's desktop
# process asked for it again, keeping the test and the test runner's output pipe about 20 s. A plain
# `wineboot` only triggers Wine's own initialisation and waits for it.
"$wine" wineboot >/dev/null 2>&1 || true

# One lasting user of the desktop, so that Wine's desktop process is started once (by the keeper,
# with its output) and not by every test, which would hand it the test runner's output pipe.
keeper="$build_dir/bin/desktop_keeper.exe"
if [ -f "$keeper" ]; then
  keeper_log="$WINEPREFIX/desktop_keeper.log"
  "$wine" "$keeper" </dev/null >"$keeper_log" 2>&1 &
  keeper_pid=$!
  for _ in $(seq 1 600); do
    grep -q "^ready" "$keeper_log" 2>/dev/null && break
    kill -0 "$keeper_pid" 2>/dev/null || break
    sleep 0.1
  done
  if ! grep -q "^ready" "$keeper_log" 2>/dev/null; then
    echo "wine-harness: the desktop keeper did not come up (see $keeper_log); tests will be slower" >&2
  fi
fi

set +e
"$@"
status=$?
set -e
exit $status
