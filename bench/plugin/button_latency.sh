#!/usr/bin/env bash
# Time from a button event arriving in the plug-in's reading thread to the host's user-interface
# thread running it, with the cap at rest: once as the plug-in runs (the reading thread wakes the
# timer) and once with the wake-up off (the press waits for the timer's next tick, every 100 ms),
# in the same run. The plug-in runs in the emulated host with the simulated daemon; figures come
# from the plug-in's own log, whose entries carry millisecond times.
#   button_latency.sh <build dir> [presses]
set -euo pipefail
build_dir=$(cd "$1" && pwd)
presses=${2:-60}
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
folder="$build_dir/bench/plugin"
mkdir -p "$folder"
cp "$root/tests/plugin/plugin_e2e.cfg" "$folder/"

# Writes the scenario of one path: name, then the environment line for the host.
write_scenario() {
  {
    [ -n "$2" ] && echo "#env: $2"
    echo "daemon-start --config @DIR@\\plugin_e2e.cfg"
    echo "wait-until daemon within 20000 ev=register app=xtopCreo"
    echo "wait 500"
    # Presses at an odd spacing, so they fall on every phase of the timer period.
    for _ in $(seq 1 "$presses"); do
      echo "daemon button 3"
      echo "wait 137"
    done
    echo "wait 500"
    echo "daemon quit"
  } >"$folder/$1.scn"
}

figures() {
  awk -F'|' '
    function ms(t) { split(t, p, ":"); return ((p[1] * 60 + p[2]) * 60 + p[3]) * 1000 }
    /event: 131081,/ { pending = ms($1) }
    /keyEvent: 131081/ && pending != "" { print ms($1) - pending; pending = "" }' "$2" |
    sort -n | awk -v what="$1" '
    { d[++n] = $1 }
    END {
      if (n == 0) { print what ": no button event reached the user-interface thread"; exit 1 }
      median = d[int((n + 1) / 2)]
      p99 = d[int(n * 0.99 + 0.999)]
      printf "%s: %d presses, median %d ms, 99th percentile %d ms, max %d ms\n", what, n, median, p99, d[n]
    }'
}

status=0
write_scenario button_latency_woken ""
write_scenario button_latency_timer "KX_PUMP_WAKE=off"
for name in button_latency_woken button_latency_timer; do
  bash "$root/tools/run-plugin-scenario.sh" "$build_dir" "$folder/$name.scn" >/dev/null || status=1
done
figures "button event to user-interface thread, at rest, timer woken by the reading thread" \
  "$build_dir/scenario-runs/button_latency_woken/plugin_log.txt" || status=1
figures "the same, timer ticks only (baseline)" \
  "$build_dir/scenario-runs/button_latency_timer/plugin_log.txt" || status=1
exit $status
