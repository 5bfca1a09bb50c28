#!/usr/bin/env bash
# A gzip log read in place, beside zcat on the same file in one run: the
# index build against `zcat FILE >/dev/null`, a full hit search with no hit
# against `zcat FILE | grep -c word`, a report run against zcat piped into
# the awk of the other benchmarks; the kept index's size, the bytes read
# for End, goto 50 and a day jump, and the peak resident memory.
#
# BUILD names the build directory (default build/), RUNS the runs of which
# the best counts (default 3). The 2,000,000-line log and its .gz are kept
# in the build directory and reused.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$here/build}
runs=${RUNS:-3}
cmake --build "$build" --target ferntrack_gzip_bench -j2 >/dev/null
. "$here/bench/log.sh"
plain=$build/bench-2m.log
gz=$build/bench-2m.log.gz
make_log 2000000 "$plain"
if [ ! -s "$gz" ] || [ "$gz" -ot "$plain" ]; then
  gzip -6 -c "$plain" >"$gz.part" && mv "$gz.part" "$gz"
fi
scratch=$build/gzip-bench-home
cat "$gz" "$plain" >/dev/null # the page cache, warm for every side alike

best() { sort -g | head -1; }
secs() { local t0 t1; t0=$(date +%s.%N); bash -c "$1" >/dev/null; t1=$(date +%s.%N); echo "$t1 - $t0" | bc; }
zc=(); zg=(); za=(); b=(); s=(); r=()
for ((i = 0; i < runs; i++)); do
  zc+=("$(secs "zcat '$gz' >/dev/null")")
  zg+=("$(secs "zcat '$gz' | grep -c zq-no-line-holds-this")")
  za+=("$(secs "zcat '$gz' | awk '{b[\$8]+=\$5} END{for(u in b)n++; print n}'")")
  out=$("$build/bench/ferntrack_gzip_bench" "$gz" "$plain" "$scratch")
  b+=("$(echo "$out" | awk '/^seconds_build_index/ {print $2}')")
  s+=("$(echo "$out" | awk '/^seconds_search_no_hit/ {print $2}')")
  r+=("$(echo "$out" | awk '/^seconds_report_run/ {print $2}')")
done
echo "$out"
zcat_s=$(printf '%s\n' "${zc[@]}" | best)
grep_s=$(printf '%s\n' "${zg[@]}" | best)
awk_s=$(printf '%s\n' "${za[@]}" | best)
build_s=$(printf '%s\n' "${b[@]}" | best)
search_s=$(printf '%s\n' "${s[@]}" | best)
report_s=$(printf '%s\n' "${r[@]}" | best)
awk -v zc="$zcat_s" -v zg="$grep_s" -v za="$awk_s" -v b="$build_s" -v s="$search_s" -v r="$report_s" -v n="$runs" 'BEGIN {
  printf "best of %d run(s)\n", n
  printf "zcat_seconds %.3f  zcat_grep_seconds %.3f  zcat_awk_seconds %.3f\n", zc, zg, za
  printf "ratio_build_to_zcat %.2f (target <= 1.2)\n", b / zc
  printf "ratio_search_to_zcat_grep %.2f (target <= 1.5)\n", s / zg
  printf "ratio_report_to_zcat_awk %.2f (target <= 1.5)\n", r / za
}'
