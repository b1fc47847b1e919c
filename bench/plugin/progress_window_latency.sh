#!/usr/bin/env bash
# How soon the first-start progress window appears once the catalogue build has started, and how
# soon it goes once the build is over (target: it appears within 200 ms). Runs the first-start
# scenario on a slow installation a few times; the figures come from the host's journal: its window
# watch notes how long the user-interface thread had been busy when the window appeared, and how
# long after the blocking message it went. Baseline from the same runs: the median interval
# between two changes of the window's text line, the pace at which the reading thread feeds it.
#   progress_window_latency.sh <build dir> [runs]
set -euo pipefail
build_dir=$(cd "$1" && pwd)
runs=${2:-3}
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
journal="$build_dir/scenario-runs/first_start_progress_window/journal.jsonl"

field() { sed -n "s/.*\"$1\":\(-\?[0-9]*\).*/\1/p"; }
shown=() gone=() pace=()
for _ in $(seq 1 "$runs"); do
  bash "$root/tools/run-plugin-scenario.sh" "$build_dir" "$root/tests/plugin/first_start_progress_window.scn" >/dev/null
  shown+=("$(grep '"ev":"window_shown"' "$journal" | head -1 | field ui_busy_ms)")
  gone+=("$(grep '"ev":"window_gone"' "$journal" | head -1 | field since_blocked_ms)")
  mapfile -t -O "${#pace[@]}" pace < <(grep '"ev":"window_state"' "$journal" | awk -F'"t":' '{ split($2, a, ","); t = a[1]; m = match($0, /"text":"[^"]*"/); text = substr($0, RSTART, RLENGTH); if (text != last && prev != "") print t - prev; if (text != last) { prev = t; last = text } }')
done
median() { printf '%s\n' "$@" | sort -n | awk '{ d[++n] = $1 } END { print d[int((n + 1) / 2)] }'; }
maximum() { printf '%s\n' "$@" | sort -n | tail -1; }
echo "progress window, $runs first starts on a slow installation:"
echo "  appeared after the build began: median $(median "${shown[@]}") ms, max $(maximum "${shown[@]}") ms (target 200 ms)"
echo "  went after the build ended:     median $(median "${gone[@]}") ms, max $(maximum "${gone[@]}") ms"
echo "  baseline, text line update pace: median $(median "${pace[@]}") ms"
