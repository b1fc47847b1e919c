#!/usr/bin/env bash
# The demo, run inside the Wine harness: the plug-in loaded the way the host loads it.
set -euo pipefail
build_dir=$1
bin="$build_dir/bin"
wine=/usr/lib/wine/wine64

echo "== The plug-in under Wine: load, start, run, stop, unload =="
"$wine" "$bin/kx_loader.exe" "$bin/KorvexCreo.dll" 3
