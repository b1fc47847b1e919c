#!/usr/bin/env bash
# Runs ctest with the given arguments and lists the ten slowest tests just before ctest's closing
# summary, so that "NN% tests passed, ..." and the total time stay the last lines, and ctest's exit
# status stays the script's.
#
# Inside a harness of several Wine workers it runs that many tests at once, each in a worker of its
# own: the test presets hand ctest the harness's file of workers ($KX_WINE_RESOURCES).
#
#   tools/run-ctest.sh --preset mingw [more ctest arguments]
set -uo pipefail

workers=()
if [ -n "${KX_WINE_RESOURCES:-}" ]; then
  workers=(-j "$KX_WINE_WORKERS")
fi
ctest "${workers[@]}" "$@" | awk '
  function report(   i, j, k, t, n) {
    if (reported || count == 0) return
    reported = 1
    n = count < 10 ? count : 10
    print "Slowest " n " of " count " tests:"
    for (i = 1; i <= n; i++) {
      k = i
      for (j = i + 1; j <= count; j++) if (secs[j] > secs[k]) k = j
      t = secs[i]; secs[i] = secs[k]; secs[k] = t
      t = names[i]; names[i] = names[k]; names[k] = t
      printf "  %7.2f sec  %s\n", secs[i], names[i]
    }
    print ""
    fflush()
  }
  / Test +#[0-9]+: / && / sec$/ {
    name = $0; sub(/^.* Test +#[0-9]+: /, "", name); sub(/ .*$/, "", name)
    sec = $0; sub(/ sec$/, "", sec); sub(/^.* /, "", sec)
    count++; names[count] = name; secs[count] = sec + 0
  }
  /^[0-9]+% tests passed/ { report() }
  { print; fflush() }
  END { report() }
'
exit "${PIPESTATUS[0]}"
