#!/usr/bin/env bash
# Runs a test's command in the Wine worker ctest allotted to it (resource "wine", see
# tools/wine-harness.sh): that worker's display and Wine prefix. Without an allotment the
# environment stays as it is.
#
#   tools/wine-worker.sh <command> [args...]
set -euo pipefail
allotment=${CTEST_RESOURCE_GROUP_0_WINE:-}
if [ -n "$allotment" ]; then
  id=${allotment#id:}
  id=${id%%,*}
  display_var=KX_WINE_DISPLAY_$id
  prefix_var=KX_WINE_PREFIX_$id
  export DISPLAY=${!display_var} WINEPREFIX=${!prefix_var}
fi
exec "$@"
