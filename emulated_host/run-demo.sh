#!/usr/bin/env bash
# Runs the plug-in inside the emulated host with the demo scenario, prints a summary of the host's
# journal and leaves a screenshot of the host's windows. Run it inside the Wine harness:
#   tools/wine-harness.sh <build dir> -- emulated_host/run-demo.sh <build dir> [output dir]
set -euo pipefail
build_dir=$(cd "$1" && pwd)
out=${2:-$build_dir/demo}
here=$(cd "$(dirname "$0")" && pwd)
wine=/usr/lib/wine/wine64
mkdir -p "$out"
out=$(cd "$out" && pwd)

# Wine maps the Unix root to drive Z:.
windows_path() { local p="Z:$1"; echo "${p//\//\\}"; }

plugin="$build_dir/bin/KorvexCreo.dll"
[ -f "$plugin" ] || { echo "run-demo: $plugin is not built" >&2; exit 1; }
cat >"$out/protk.dat" <<REG
name        KorvexCreo
startup     dll
exec_file   $(windows_path "$plugin")
text_dir    $(windows_path "$build_dir/text")
allow_stop  TRUE
end
REG

journal="$out/creo_host_journal.jsonl"
screenshot="$out/creo_host.png"
rm -f "$journal" "$screenshot"
set +e
(cd "$out" && "$wine" "$build_dir/bin/creo_host.exe" --registry "$(windows_path "$out/protk.dat")" \
  --scenario "$(windows_path "$here/scenarios/demo.scn")" --journal "$(windows_path "$journal")" \
  --screenshot "$(windows_path "$screenshot")")
status=$?
set -e
echo
"$wine" "$build_dir/bin/creo_host.exe" --summary "$(windows_path "$journal")" | tr -d '\r'
echo
echo "Journal:    $journal"
echo "Screenshot: $screenshot"
echo "Host exit code: $status"
exit $status
