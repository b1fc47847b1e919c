#!/usr/bin/env bash
# Runs one libFuzzer target over its seed corpus for KX_FUZZ_SECONDS (default: the last argument).
#   tools/run-fuzzer.sh <fuzzer> <seed folder> <work folder> <seconds>
# Every seed runs first, so a kept finding fails at once. New inputs go to <work folder>/corpus and
# a finding to <work folder>/crash-*, leak-*, timeout-* or oom-*; the seed folder is only read.
set -euo pipefail
[ $# -eq 4 ] || { echo "usage: $0 <fuzzer> <seed folder> <work folder> <seconds>" >&2; exit 2; }
fuzzer=$1 seeds=$2 work=$3
seconds=${KX_FUZZ_SECONDS:-$4}
mkdir -p "$work/corpus" "$work/tmp"
# The targets' own files stay in the build tree too, even when a finding ends the run.
export TMPDIR="$work/tmp"
exec "$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
  -artifact_prefix="$work/" "$work/corpus" "$seeds"
