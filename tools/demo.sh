#!/usr/bin/env bash
# The demo, run inside the Wine harness: the plug-in loaded the way the host loads it with its
# settings file and log, then inside the emulated host with the simulated controller daemon.
set -euo pipefail
build_dir=$(cd "$1" && pwd)
root=$(cd "$(dirname "$0")/.." && pwd)
bin="$build_dir/bin"
wine=/usr/lib/wine/wine64

source "$root/tools/profile-folders.sh"
# The command catalogue of the first start is built in English (Unix LANG values such as C.UTF-8
# name no language of the host's).
export PRO_LANG=english
ini="$product/Applications/Creo_plugin.ini"

echo "== 1. First start in a bare loader: no settings file yet =="
"$wine" "$bin/kx_loader.exe" "$bin/KorvexCreo.dll" 1
echo
echo "== The default settings file it wrote: $ini =="
cat "$ini"
echo

echo "== 2. The user switches file logging on, then the plug-in starts again =="
sed -i -E 's/^(\t(logToFile|creation|info|trace) += )off( *)/\1on \3/' "$ini"
"$wine" "$bin/kx_loader.exe" "$bin/KorvexCreo.dll" 3
echo
echo "== The log it wrote: $product/Creo_plugin_log.txt =="
cat "$product/Creo_plugin_log.txt"
echo

echo "== 3. The plug-in in the emulated host: its windows, menus, a selection and the host's own navigation =="
bash "$root/emulated_host/run-demo.sh" "$build_dir" "$build_dir/demo"
echo

echo "== 4. The plug-in with the controller daemon: connect, a button, the cap, a daemon restart =="
bash "$root/tools/run-plugin-scenario.sh" "$build_dir" "$root/demo/plugin_demo.scn"
run="$build_dir/scenario-runs/plugin_demo"
echo "--- what the plug-in logged of it ---"
grep -E 'devIdx|Error in kxConnect|event: |keyEvent|Execute special|Cap moving|Cap released|Destruct' \
  "$run/plugin_log.txt" | cut -c1-160 | head -40
echo
echo "Screenshots: $build_dir/demo/creo_host.png and $run/creo_host.png"
