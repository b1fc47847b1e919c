#!/usr/bin/env bash
# Time from a button event arriving in the plug-in's reading thread to the host's user-interface
# thread running it, with the cap at rest (the timer ticks every 100 ms). Runs the plug-in in the
# emulated host with the simulated daemon; figures come from the plug-in's own log, whose entries
# carry millisecond times.
#   button_latency.sh <build dir> [presses]
set -euo pipefail
build_dir=$(cd "$1" && pwd)
presses=${2:-60}
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)

scenario="$build_dir/bench/plugin/button_latency.scn"
mkdir -p "$(dirname "$scenario")"
cp "$root/tests/plugin/plugin_e2e.cfg" "$(dirname "$scenario")/"
{
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
} >"$scenario"

bash "$root/tools/run-plugin-scenario.sh" "$build_dir" "$scenario" >/dev/null
log="$build_dir/scenario-runs/button_latency/plugin_log.txt"

awk -F'|' '
  function ms(t) { split(t, p, ":"); return ((p[1] * 60 + p[2]) * 60 + p[3]) * 1000 }
  /event: 131081,/ { pending = ms($1) }
  /keyEvent: 131081/ && pending != "" { print ms($1) - pending; pending = "" }' "$log" |
  sort -n | awk '
  { d[++n] = $1 }
  END {
    if (n == 0) { print "no button event reached the user-interface thread"; exit 1 }
    median = d[int((n + 1) / 2)]
    p99 = d[int(n * 0.99 + 0.999)]
    printf "button event to user-interface thread, at rest: %d presses, median %d ms, 99th percentile %d ms, max %d ms\n", n, median, p99, d[n]
  }'
