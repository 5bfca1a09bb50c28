#!/usr/bin/env bash
# Steps through each of the two 2,000,000-line generated logs (plain and
# realistic; LOG names another) with the program's reader,
# and runs the hit search over it both ways, and sets the times beside
# `wc -l` on the same file, in one run.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$here/build}
cmake --build "$build" --target ferntrack_step_bench -j2 >"$build/bench-build.log"
. "$here/bench/log.sh"
make_bench_logs
for log in ${LOG:-$log $realistic_log}; do
echo "== $log"
wc -l <"$log" >"$build/bench-sink" # warm the page cache for both sides alike
t0=$(date +%s.%N); wc -l "$log" >"$build/bench-sink"; t1=$(date +%s.%N)
out=$("$build/bench/ferntrack_step_bench" "$log")
echo "$out"
echo "$out" | awk -v t0="$t0" -v t1="$t1" '
  /^seconds_forward/ {f = $2} /^seconds_backward/ {b = $2}
  /^seconds_search_down/ {d = $2} /^seconds_search_up/ {u = $2}
  END {w = t1 - t0; printf "wc_seconds %.3f\nratio_forward_to_wc %.2f\nratio_backward_to_wc %.2f\n", w, f / w, b / w
       printf "ratio_search_down_to_wc %.2f\nratio_search_up_to_wc %.2f\n", d / w, u / w}'
done
