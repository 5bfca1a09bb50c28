#!/usr/bin/env bash
# Steps through a 2,000,000-line generated log with the program's reader,
# and runs the hit search over it both ways, and sets the times beside
# `wc -l` on the same file, in one run.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$here/build}
log=${LOG:-$build/bench-2m.log}
lines=${LINES_WANTED:-2000000}
cmake --build "$build" --target ferntrack_step_bench -j2 >/dev/null
if [ ! -s "$log" ]; then
  python3 "$here/scripts/genlog.py" --lines "$lines" --seed 42 --out "$log"
fi
cat "$log" >/dev/null # warm the page cache for both sides alike
t0=$(date +%s.%N); wc -l "$log" >/dev/null; t1=$(date +%s.%N)
out=$("$build/bench/ferntrack_step_bench" "$log")
echo "$out"
echo "$out" | awk -v t0="$t0" -v t1="$t1" '
  /^seconds_forward/ {f = $2} /^seconds_backward/ {b = $2}
  /^seconds_search_down/ {d = $2} /^seconds_search_up/ {u = $2}
  END {w = t1 - t0; printf "wc_seconds %.3f\nratio_forward_to_wc %.2f\nratio_backward_to_wc %.2f\n", w, f / w, b / w
       printf "ratio_search_down_to_wc %.2f\nratio_search_up_to_wc %.2f\n", d / w, u / w}'

