#!/usr/bin/env bash
# Object moves per second with the cap held, beside the timer's tick rate in the same run. The
# plug-in runs in the emulated host with the simulated daemon: first the cap is held for a while in
# a part (the plug-in leaves the cap to the host, its timer ticks every 10 ms), then as long in an
# assembly with object move mode on and a component selected (the plug-in moves it on every pass of
# one long tick). Ticks come from the plug-in's log, placements from the host's journal.
#   object_move_rate.sh <build dir> [hold ms]
set -euo pipefail
build_dir=$(cd "$1" && pwd)
hold=${2:-3000}
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
folder="$build_dir/bench/plugin"
mkdir -p "$folder"
cp "$root/tests/plugin/plugin_e2e.cfg" "$folder/"
cat >"$folder/object_move_rate.scn" <<EOF
open part bracket.prt
pointer graphics
daemon-start --config @DIR@\\plugin_e2e.cfg
wait-until daemon within 20000 ev=register app=xtopCreo
wait 500
daemon motion 0 0 0 0 0 100 $hold
wait-until daemon within $((hold + 10000)) ev=event kind=rest
wait 500
open assembly engine.asm
menu Korvex "Toggle Move Mode"
wait-until host within 5000 ev=action_done name=Korvex_ToggleMoveMode result=1
select 6
wait-until daemon within 10000 ev=legacy state=off by=xtopCreo
daemon motion 0 0 0 0 0 100 $hold
wait-until daemon within $((hold + 10000)) ev=event kind=rest
wait 500
daemon quit
EOF
bash "$root/tools/run-plugin-scenario.sh" "$build_dir" "$folder/object_move_rate.scn" >/dev/null
work="$build_dir/scenario-runs/object_move_rate"

# Ticks while the cap is held in the part: from the first "Cap moving." to the first "Cap released.".
awk -F'|' '
  function ms(t) { split(t, p, ":"); return ((p[1] * 60 + p[2]) * 60 + p[3]) * 1000 }
  /Cap moving\./ && !from { from = ms($1) }
  /Timer Callback start/ && from && !to { ticks++ }
  /Cap released\./ && from && !to { to = ms($1) }
  END {
    if (!to || to <= from) { print "the cap was never held in the part"; exit 1 }
    printf "timer ticks with the cap held (baseline): %d in %d ms, %.0f per second\n", ticks, to - from, ticks * 1000 / (to - from)
  }' "$work/plugin_log.txt"
# Placements of the held component and the passes of each tick that moved it.
grep '"ev":"placement_set"' "$work/journal.jsonl" | grep '"component":6,' |
  sed 's/^{"t":\([0-9]*\),.*/\1/' | awk '
  NR == 1 { first = $1 } { last = $1; n++ }
  END {
    if (n < 2 || last <= first) { print "the component was not moved"; exit 1 }
    printf "object moves with the cap held: %d placements in %d ms, %.0f per second\n", n, last - first, (n - 1) * 1000 / (last - first)
  }'
sed -n 's/.*Finished Transformation, cnt: \([1-9][0-9]*\), timeDiff: \([0-9]*\).*/\1 \2/p' \
  "$work/plugin_log.txt" | awk '{ printf "  a tick that moved it: %d passes in %d ms\n", $1, $2 }'
