#!/usr/bin/env bash
# A gzip log read in place, beside zcat on the same file in one run: the
# index build against `zcat FILE | wc -c`, a full hit search with no hit
# against `zcat FILE | grep -c word`, a report run against zcat piped into
# the awk of the other benchmarks; the kept index's size, the bytes read
# for End, goto 50 and a day jump, and the peak resident memory; on each of
# the two logs of bench/log.sh (the plain 2,000,000-line log and the
# realistic one), gzipped.
#
#   bash bench/gzip.sh [--bench PATH]
#
# BUILD names the build directory (default build/), RUNS the runs of which
# the best counts (default 3). The logs and their .gz are kept in the build
# directory and reused. --bench runs another build's ferntrack_gzip_bench.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$here/build}
runs=${RUNS:-3}
bench=$build/bench/ferntrack_gzip_bench
case ${1:-} in
  -h|--help) sed -n '2,14p' "$0"; exit 0 ;;
  --bench) bench=$2 ;;
  "") ;;
  *) echo "gzip.sh: unknown argument $1" >&2; exit 2 ;;
esac
cmake --build "$build" --target ferntrack_gzip_bench -j2 >"$build/bench-build.log"
. "$here/bench/log.sh"
make_bench_logs

best() { sort -g | head -1; }
secs() { local t0 t1; t0=$(date +%s.%N); bash -c "$1" >"$build/bench-sink"; t1=$(date +%s.%N); echo "$t1 - $t0" | bc; }

# one_log PLAIN: the figures for PLAIN gzipped beside it.
one_log() {
  local plain=$1 gz=$1.gz
  if [ ! -s "$gz" ] || [ "$gz" -ot "$plain" ]; then
    gzip -6 -c "$plain" >"$gz.part" && mv "$gz.part" "$gz"
  fi
  local scratch=$build/gzip-bench-home
  cat "$gz" "$plain" | wc -c >"$build/bench-sink" # the page cache, warm for every side alike
  local zc=() zg=() za=() b=() s=() r=() out i
  for ((i = 0; i < runs; i++)); do
    zc+=("$(secs "zcat '$gz' | wc -c")")
    zg+=("$(secs "zcat '$gz' | grep -c zq-no-line-holds-this")")
    za+=("$(secs "zcat '$gz' | awk '{b[\$8]+=\$5} END{for(u in b)n++; print n}'")")
    out=$("$bench" "$gz" "$plain" "$scratch")
    b+=("$(echo "$out" | awk '/^seconds_build_index/ {print $2}')")
    s+=("$(echo "$out" | awk '/^seconds_search_no_hit/ {print $2}')")
    r+=("$(echo "$out" | awk '/^seconds_report_run/ {print $2}')")
  done
  echo "$out"
  awk -v zc="$(printf '%s\n' "${zc[@]}" | best)" -v zg="$(printf '%s\n' "${zg[@]}" | best)" \
      -v za="$(printf '%s\n' "${za[@]}" | best)" -v b="$(printf '%s\n' "${b[@]}" | best)" \
      -v s="$(printf '%s\n' "${s[@]}" | best)" -v r="$(printf '%s\n' "${r[@]}" | best)" -v n="$runs" 'BEGIN {
    printf "best of %d run(s)\n", n
    printf "zcat_seconds %.3f  zcat_grep_seconds %.3f  zcat_awk_seconds %.3f\n", zc, zg, za
    printf "build_index_seconds %.3f  search_seconds %.3f  report_seconds %.3f\n", b, s, r
    printf "ratio_build_to_zcat %.2f (target <= 1.2)\n", b / zc
    printf "ratio_search_to_zcat_grep %.2f (target <= 1.5)\n", s / zg
    printf "ratio_report_to_zcat_awk %.2f (target <= 1.5)\n", r / za
  }'
}
echo "== plain log"
one_log "$log"
echo "== realistic log"
one_log "$realistic_log"
