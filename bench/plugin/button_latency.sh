#!/usr/bin/env bash
# Time from a button event arriving in the plug-in's reading thread to the host's user-interface
# thread running it, with the cap at rest (the reading thread wakes the timer), beside the timer's
# own period in the same run: a press left to the timer would wait for its next tick, up to one
# period and half of one on average. The plug-in runs in the emulated host with the simulated
# daemon; figures come from the plug-in's own log, whose entries carry millisecond times.
#   button_latency.sh <build dir> [presses]
set -euo pipefail
build_dir=$(cd "$1" && pwd)
presses=${2:-60}
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
folder="$build_dir/bench/plugin"
mkdir -p "$folder"
cp "$root/tests/plugin/plugin_e2e.cfg" "$folder/"

write_scenario() {
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
  } >"$folder/$1.scn"
}

# Prints the median, 99th percentile and maximum of the numbers on standard input, one a line.
summary() {
  sort -n | awk -v what="$1" -v unit="$2" '
    { d[++n] = $1 }
    END {
      if (n == 0) { print what ": none found in the log"; exit 1 }
      printf "%s: %d %s, median %d ms, 99th percentile %d ms, max %d ms\n", what, n, unit,
        d[int((n + 1) / 2)], d[int(n * 0.99 + 0.999)], d[n]
    }'
}

log=$build_dir/scenario-runs/button_latency/plugin_log.txt
status=0
write_scenario button_latency
bash "$root/tools/run-plugin-scenario.sh" "$build_dir" "$folder/button_latency.scn" >/dev/null || status=1
awk -F'|' '
  function ms(t) { split(t, p, ":"); return ((p[1] * 60 + p[2]) * 60 + p[3]) * 1000 }
  /event: 131081,/ { pending = ms($1) }
  /keyEvent: 131081/ && pending != "" { print ms($1) - pending; pending = "" }' "$log" |
  summary "button event to user-interface thread, at rest, timer woken by the reading thread" \
    presses || status=1
# The timer's period: from one tick's start to the next that the timer (not a wake-up) started.
awk -F'|' '
  function ms(t) { split(t, p, ":"); return ((p[1] * 60 + p[2]) * 60 + p[3]) * 1000 }
  /Timer woken/ { woken = 1 }
  /Timer Callback start/ {
    if (last != "" && !woken) print ms($1) - last
    last = ms($1); woken = 0
  }' "$log" | summary "beside it the timer's own period at rest (baseline)" ticks || status=1
exit $status
