#!/usr/bin/env bash
# Soak: the daemon killed and started again under a running plug-in, cycle after cycle. Each time
# the plug-in must register again within 2.5 s of the daemon's return (its watch thread looks every
# 2 s) and announce its mode. The times come from each daemon's own journal: from its "start" entry
# (ports open) to the registration and to the mode announcement. Prints their distribution.
# Run inside the Wine harness:
#   tests/soak/daemon_restarts.sh <build dir> [cycles]
set -euo pipefail
build_dir=$(cd "$1" && pwd)
cycles=${2:-100}
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
# make soak holds the plug-in to 2.5 s; the short run inside make test only to its next checks, so a
# loaded machine cannot fail it.
bound_ms=${KX_SOAK_BOUND_MS:-2500}
# The whole run's limit: start-up plus a generous share per cycle (a cycle takes about 3 s).
export KX_SCENARIO_LIMIT_S=$((120 + cycles * 8))

name=daemon_restarts
source "$here/soak_common.sh"
start_daemon() {
  printf 'daemon-start --config @DIR@\\plugin_e2e.cfg --journal @WORK@\\daemon-%03d.jsonl\n' "$1"
  echo "wait-until daemon within 15000 ev=register app=xtopCreo"
  echo "wait-until daemon within 10000 ev=mode application=Creo mode=Default"
}
{
  echo "expect ev=plugin_started name=KorvexCreo"
  start_daemon 0
  for i in $(seq 1 "$cycles"); do
    echo "daemon-kill"
    # The daemon stays away for a different time in each cycle, so its return falls on every
    # phase of the watch thread's period.
    echo "wait $(((i * 373) % 1700 + 100))"
    start_daemon "$i"
  done
  echo "expect-none ev=fault"
  echo "daemon quit"
} >"$scenario"

run_soak_scenario

# One line per cycle: cycle, ms to the registration, ms to the mode announcement (-1: none).
for i in $(seq 1 "$cycles"); do
  journal=$(printf '%s/daemon-%03d.jsonl' "$work" "$i")
  if [ ! -f "$journal" ]; then
    echo "$i -1 -1"
    continue
  fi
  awk -v cycle="$i" '
    function field(name,   m) {
      if (match($0, "\"" name "\":[-0-9]+")) return substr($0, RSTART + length(name) + 3, RLENGTH - length(name) - 3)
      return ""
    }
    /"ev":"start"/ && start == "" { start = field("t") }
    /"ev":"register"/ && /"app":"xtopCreo"/ && reg == "" { reg = field("t") }
    /"ev":"mode"/ && /"application":"Creo"/ && reg != "" && mode == "" { mode = field("t") }
    END {
      printf "%d %d %d\n", cycle, (start == "" || reg == "") ? -1 : reg - start,
             (start == "" || mode == "") ? -1 : mode - start
    }' "$journal"
done >"$build_dir/soak/$name.times"

while read -r cycle reg mode; do
  if [ "$reg" -lt 0 ]; then
    echo "$name: cycle $cycle: the plug-in did not register again" >&2
    failures=$((failures + 1))
  elif [ "$reg" -gt "$bound_ms" ]; then
    echo "$name: cycle $cycle: registered again $reg ms after the daemon's return (more than $bound_ms ms)" >&2
    failures=$((failures + 1))
  fi
  if [ "$mode" -lt 0 ]; then
    echo "$name: cycle $cycle: no mode announcement after the registration" >&2
    failures=$((failures + 1))
  fi
done <"$build_dir/soak/$name.times"

distribution() {
  sort -n | awk -v what="$1" '
    $1 >= 0 { d[++n] = $1 }
    function rank(p,   k) { k = int(n * p); if (k < n * p) k++; return d[k < 1 ? 1 : k] }
    END {
      if (n == 0) { printf "%s: no figures\n", what; exit }
      printf "%s: min %d, median %d, 90th %d, 99th %d, max %d ms (%d cycles)\n", what, d[1], rank(0.5), rank(0.9), rank(0.99), d[n], n
    }'
}
echo "daemon killed and started again $cycles times under a running plug-in:"
cut -d' ' -f2 "$build_dir/soak/$name.times" | distribution "  daemon's return to registration"
cut -d' ' -f3 "$build_dir/soak/$name.times" | distribution "  daemon's return to mode announcement"
finish_soak
