#!/usr/bin/env bash
# Soak: the plug-in stopped and started again, cycle after cycle, in one host process with the
# daemon up. No fault may be recorded, and the host process's thread and handle counts, taken once
# the plug-in is connected and has announced its mode, must not grow. Prints the counts at the
# start and at the end. Run inside the Wine harness:
#   tests/soak/plugin_restarts.sh <build dir> [cycles]
set -euo pipefail
build_dir=$(cd "$1" && pwd)
cycles=${2:-100}
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
# Slack for what the runtime may keep after threads it has already joined; a plug-in that loses a
# thread's record at every stop gains at least one handle per cycle and exceeds this within 9.
thread_slack=1
handle_slack=8
# The whole run's limit: start-up plus a generous share per cycle (a cycle takes about 3 s, most
# of it the plug-in's stop, which waits for its watch thread).
export KX_SCENARIO_LIMIT_S=$((120 + cycles * 10))

name=plugin_restarts
source "$here/soak_common.sh"
connected() {
  echo "wait-until daemon within 15000 ev=register app=xtopCreo"
  echo "wait-until daemon within 10000 ev=mode application=Creo mode=Default"
  echo "process-counts"
}
{
  echo "daemon-start --config @DIR@\\plugin_e2e.cfg"
  connected
  for _ in $(seq 1 "$cycles"); do
    echo "plugin-stop KorvexCreo"
    echo "plugin-start KorvexCreo"
    connected
  done
  echo "expect-count $((cycles + 1)) ev=plugin_started name=KorvexCreo"
  echo "daemon quit"
} >"$scenario"

run_soak_scenario

# One line per count: threads, handles, where the handle count came from, handles per type.
grep '"ev":"process_counts"' "$work/journal.jsonl" |
  sed -E 's/.*"threads":([0-9]+).*"handles":([0-9]+).*"handle_source":"([a-z]+)".*"handle_types":"([^"]*)".*/\1 \2 \3 \4/' \
    >"$build_dir/soak/$name.counts" || true
# The handle types that grew from the first count to the last: "Thread +3, Event +1".
types_gained() {
  awk -v a="$1" -v b="$2" 'BEGIN {
    n = split(a, x, ","); for (i = 1; i <= n; i++) { split(x[i], kv, "="); before[kv[1]] = kv[2] }
    n = split(b, y, ","); out = ""
    for (i = 1; i <= n; i++) {
      split(y[i], kv, "=")
      if (kv[2] > before[kv[1]]) out = out (out == "" ? "" : ", ") kv[1] " +" (kv[2] - before[kv[1]])
    }
    print out == "" ? "none" : out
  }'
}

taken=$(wc -l <"$build_dir/soak/$name.counts")
echo "plug-in stopped and started $cycles times in one host process:"
if [ "$taken" -ne $((cycles + 1)) ]; then
  echo "$name: $taken counts taken, $((cycles + 1)) expected" >&2
  failures=$((failures + 1))
fi
if [ "$taken" -gt 0 ]; then
  read -r threads0 handles0 source types0 <"$build_dir/soak/$name.counts"
  read -r threads1 handles1 _ types1 < <(tail -n 1 "$build_dir/soak/$name.counts")
  max_threads=$(cut -d' ' -f1 "$build_dir/soak/$name.counts" | sort -n | tail -n 1)
  max_handles=$(cut -d' ' -f2 "$build_dir/soak/$name.counts" | sort -n | tail -n 1)
  echo "  threads: $threads0 at the start, $threads1 at the end (at most $max_threads)"
  echo "  handles ($source): $handles0 at the start, $handles1 at the end (at most $max_handles);" \
    "gained per type: $(types_gained "$types0" "$types1")"
  if [ $((threads1 - threads0)) -gt $thread_slack ]; then
    echo "$name: the host gained $((threads1 - threads0)) threads (more than $thread_slack)" >&2
    failures=$((failures + 1))
  fi
  if [ $((handles1 - handles0)) -gt $handle_slack ]; then
    echo "$name: the host gained $((handles1 - handles0)) handles (more than $handle_slack)" >&2
    failures=$((failures + 1))
  fi
fi
finish_soak
