#!/usr/bin/env bash
# The demo, run inside the Wine harness: the plug-in loaded the way the host loads it, its settings
# file and its log.
set -euo pipefail
build_dir=$1
bin="$build_dir/bin"
wine=/usr/lib/wine/wine64

# The profile folders belong to the controller's installer; the plug-in never creates them.
profile_windows=$("$wine" cmd /c 'echo %USERPROFILE%' 2>/dev/null | tr -d '\r')
profile_unix=$("$wine" winepath -u "$profile_windows" 2>/dev/null | tr -d '\r')
profile_unix=${profile_unix%/}
[ -d "$profile_unix" ] || { echo "demo: no Windows profile folder for '$profile_windows'" >&2; exit 1; }
product="$profile_unix/Korvexpad"
rm -rf "$product"
mkdir -p "$product/Applications"
ini="$product/Applications/Creo_plugin.ini"

echo "== 1. First start: no settings file yet =="
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
