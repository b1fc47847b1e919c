#!/usr/bin/env bash
# Runs a command with a working Wine behind it: an Xvfb display first (a wineserver started without
# DISPLAY stays display-less and later window creation fails), then a Wine prefix inside the build
# tree, one wineserver and one desktop user (bin/desktop_keeper.exe) kept alive for the whole run.
# All are stopped afterwards, also on failure.
#
#   [KX_WINE_WORKERS=<n>] tools/wine-harness.sh <build dir> -- <command> [args...]
#
# With KX_WINE_WORKERS above 1 it starts that many such workers, each with a display and a Wine
# prefix of its own (scenarios move the global pointer and the foreground window, so two must never
# share a display), and writes a ctest resource file ($KX_WINE_RESOURCES) with one "wine" slot per
# worker; tools/wine-worker.sh points each test at the worker ctest gave it. The command itself runs
# with the first worker's display and prefix.
set -euo pipefail

if [ $# -lt 3 ] || [ "$2" != "--" ]; then
  echo "usage: $0 <build dir> -- <command> [args...]" >&2
  exit 2
fi
build_dir=$(cd "$1" && pwd)
shift 2
workers=${KX_WINE_WORKERS:-1}
case "$workers" in
  [1-9]) ;;
  *) echo "wine-harness: KX_WINE_WORKERS must be 1 to 9, not '$workers'" >&2; exit 2 ;;
esac

# The Wine loader is named once, in the toolchain file, which runs the tests with it; the scripts
# run under this harness take it from KX_WINE.
toolchain=$(cd "$(dirname "$0")/.." && pwd)/cmake/toolchain-mingw-w64-posix.cmake
wine=$(sed -n 's/^set(CMAKE_CROSSCOMPILING_EMULATOR \([^ )]*\))$/\1/p' "$toolchain")
if [ -z "$wine" ]; then
  echo "wine-harness: no CMAKE_CROSSCOMPILING_EMULATOR in $toolchain" >&2
  exit 2
fi
wineserver=$(dirname "$wine")/wineserver
export KX_WINE=$wine
for tool in "$wine" "$wineserver" Xvfb; do
  command -v "$tool" >/dev/null || { echo "wine-harness: '$tool' is missing; run 'make setup'" >&2; exit 2; }
done

export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64

# The first worker keeps the prefix every single run uses; a prefix of its own (KX_WINE_PREFIX) lets
# a second harness run beside this one on the same build.
prefix=${KX_WINE_PREFIX:-$build_dir/wineprefix}
prefix_of() { if [ "$1" -eq 0 ]; then echo "$prefix"; else echo "$prefix-$1"; fi; }

xvfb_pids=()
keeper_pids=()
# shellcheck disable=SC2317  # run by the EXIT trap
cleanup() {
  local i
  for i in "${!keeper_pids[@]}"; do kill "${keeper_pids[$i]}" >/dev/null 2>&1 || true; done
  for ((i = 0; i < workers; i++)); do WINEPREFIX=$(prefix_of "$i") "$wineserver" -k >/dev/null 2>&1 || true; done
  for i in "${!keeper_pids[@]}"; do wait "${keeper_pids[$i]}" 2>/dev/null || true; done
  for ((i = 0; i < workers; i++)); do WINEPREFIX=$(prefix_of "$i") "$wineserver" -w >/dev/null 2>&1 || true; done
  for i in "${!xvfb_pids[@]}"; do
    kill "${xvfb_pids[$i]}" >/dev/null 2>&1 || true
    wait "${xvfb_pids[$i]}" 2>/dev/null || true
  done
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Xvfb picks a free display number itself and writes it to the descriptor.
start_display() {
  local display_file display_number
  display_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
  xvfb_pids+=($!)
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
  displays+=(":$display_number")
}

# A persistent wineserver spares every test executable Wine's start-up.
# The first program of a new wineserver makes Wine run `wineboot --init` by itself before it starts,
# so an explicit `wineboot --init` is a second one and starts a second services.exe. Two service
# managers then share the service pipes: a service started by one reports to the other, and the
# first kills it after its 10 s start timeout. On a prefix that already existed RpcSs came up during
# the quick start-up and stayed; on a fresh one it is not running yet, and every test's desktop
# process asked for it again, keeping the test and the test runner's output pipe about 20 s. A plain
# `wineboot` only triggers Wine's own initialisation and waits for it.
start_prefix() {
  mkdir -p "$WINEPREFIX"
  "$wineserver" -p >/dev/null 2>&1
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "wine-harness: initialising the Wine prefix in $WINEPREFIX (first run takes a while)"
  fi
  "$wine" wineboot >/dev/null 2>&1 || true
}

# One lasting user of the desktop, so that Wine's desktop process is started once (by the keeper,
# with its output) and not by every test, which would hand it the test runner's output pipe.
start_keeper() {
  local keeper="$build_dir/bin/desktop_keeper.exe" keeper_log="$WINEPREFIX/desktop_keeper.log"
  [ -f "$keeper" ] || return 0
  "$wine" "$keeper" </dev/null >"$keeper_log" 2>&1 &
  keeper_pids+=($!)
  for _ in $(seq 1 600); do
    grep -q "^ready" "$keeper_log" 2>/dev/null && break
    kill -0 "${keeper_pids[-1]}" 2>/dev/null || break
    sleep 0.1
  done
  if ! grep -q "^ready" "$keeper_log" 2>/dev/null; then
    echo "wine-harness: the desktop keeper did not come up (see $keeper_log); tests will be slower" >&2
  fi
}

displays=()
for ((i = 0; i < workers; i++)); do start_display; done
# The prefixes initialise side by side: most of it is waiting.
boots=()
for ((i = 0; i < workers; i++)); do
  DISPLAY=${displays[$i]} WINEPREFIX=$(prefix_of "$i") start_prefix &
  boots+=($!)
done
for pid in "${boots[@]}"; do wait "$pid"; done
for ((i = 0; i < workers; i++)); do
  DISPLAY=${displays[$i]} WINEPREFIX=$(prefix_of "$i") start_keeper
  export "KX_WINE_DISPLAY_$i=${displays[$i]}" "KX_WINE_PREFIX_$i=$(prefix_of "$i")"
done
export DISPLAY=${displays[0]} WINEPREFIX KX_WINE_WORKERS=$workers
WINEPREFIX=$(prefix_of 0)

if [ "$workers" -gt 1 ]; then
  export KX_WINE_RESOURCES="$build_dir/wine-workers.json"
  slots=""
  for ((i = 0; i < workers; i++)); do slots+="${slots:+,}{\"id\":\"$i\",\"slots\":1}"; done
  echo "{\"version\":{\"major\":1,\"minor\":0},\"local\":[{\"wine\":[$slots]}]}" >"$KX_WINE_RESOURCES"
fi

set +e
"$@"
status=$?
set -e
exit $status
