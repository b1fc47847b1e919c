#!/usr/bin/env bash
# Scroll steps per second with the cap held over a control, beside the timer's tick rate in the same
# run: first with the pointer over the graphics window (no scrolling, the baseline tick rate while
# the cap moves), then over a long-range control with line steps at full and at small deflection,
# then over a wheel control. Steps come from the host journal, ticks from the plug-in's log (between
# its "Cap moving." and "Cap released." lines).
#   scroll_rate.sh <build dir> [seconds per phase]
set -euo pipefail
build_dir=$(cd "$1" && pwd)
seconds=${2:-3}
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
ms=$((seconds * 1000))

scenario="$build_dir/bench/plugin/scroll_rate.scn"
mkdir -p "$(dirname "$scenario")"
cp "$root/tests/plugin/plugin_e2e.cfg" "$(dirname "$scenario")/"
{
  echo "daemon-start --config @DIR@\\plugin_e2e.cfg"
  echo "wait-until daemon within 20000 ev=register app=xtopCreo"
  echo "open part bracket.prt"
  echo "foreground main"
  echo "pointer graphics"
  echo "daemon motion 0 0 0 300 0 0 $ms"
  echo "wait-until daemon within $((ms + 10000)) ev=event kind=rest"
  echo "wait 500"
  echo "foreground gallery"
  echo "pointer gxwnd 30 30"
  echo "wait-until daemon within 5000 ev=legacy state=off by=xtopCreo"
  echo "daemon motion 0 0 300 0 0 0 $ms"
  echo "wait-until daemon within $((ms + 10000)) ev=event kind=rest"
  echo "wait 500"
  echo "daemon motion 0 0 -40 0 0 0 $ms"
  echo "wait-until daemon within $((ms + 10000)) ev=event kind=rest"
  echo "wait 500"
  echo "pointer browser"
  echo "daemon motion 0 0 300 0 0 0 $ms"
  echo "wait-until daemon within $((ms + 10000)) ev=event kind=rest"
  echo "wait 500"
  echo "daemon quit"
} >"$scenario"

bash "$root/tools/run-plugin-scenario.sh" "$build_dir" "$scenario" >/dev/null
work="$build_dir/scenario-runs/scroll_rate"

# Ticks per second in each phase of held cap, in order.
ticks=$(awk -F'|' '
  function ms(t) { split(t, p, ":"); return ((p[1] * 60 + p[2]) * 60 + p[3]) * 1000 }
  /Cap moving\./ { start = ms($1); n = 0; moving = 1 }
  moving && /Timer Callback start/ { n++ }
  /Cap released\./ && moving { printf "%.1f\n", n * 1000 / (ms($1) - start); moving = 0 }' \
  "$work/plugin_log.txt")
# Scroll or wheel messages per second of one control and line code, first to last.
rate() {
  grep "\"ev\":\"scroll\",\"control\":\"$1\"" "$work/journal.jsonl" | grep "\"code\":$2," |
    sed 's/^{"t":\([0-9]*\),.*/\1/' |
    awk '{ if (NR == 1) first = $1; last = $1; n++ }
      END { if (n < 2 || last == first) print "0"; else printf "%.0f\n", (n - 1) * 1000 / (last - first) }'
}
tick() { echo "$ticks" | sed -n "${1}p"; }
[ "$(echo "$ticks" | wc -l)" -ge 4 ] || { echo "scroll rate: the log shows fewer than four phases of held cap" >&2; exit 1; }

echo "cap held, $seconds s per phase (timer ticks per second beside each):"
printf '  over the graphics window, no scrolling (baseline): %s ticks/s\n' "$(tick 1)"
printf '  line steps, range 2500, deflection 300 (wait 1 ms):  %s steps/s, %s ticks/s\n' "$(rate gxwnd 1)" "$(tick 2)"
printf '  line steps, range 2500, deflection 40 (wait 130 ms): %s steps/s, %s ticks/s\n' "$(rate gxwnd 0)" "$(tick 3)"
printf '  wheel notches, deflection 300 (wait 1 ms):           %s notches/s, %s ticks/s\n' "$(rate browser 0)" "$(tick 4)"
