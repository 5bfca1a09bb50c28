#!/usr/bin/env bash
# Drives the real program over the two 2,000,000-line generated logs (the
# plain one and the realistic one) and times the
# first screen, End, Home, a hit search from the first line to the last
# with no hit, and goto 50, beside awk and wc -l on the same file; prints
# each figure as a ratio to awk, and the program's peak resident memory.
#
#   bash bench/scan.sh           the 2,000,000-line log
#   bash bench/scan.sh --big     also a log ten times its size (20,000,000
#                                lines, about 2.7 GB on disk, made once)
#
# BUILD names the build directory (default build/), RUNS the runs per log
# of which the best counts (default 3). Logs are kept in the build
# directory and reused.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$here/build}
runs=${RUNS:-3}
big=0
for arg in "$@"; do
  case $arg in
    --big) big=1 ;;
    -h|--help) sed -n '2,14p' "$0"; exit 0 ;;
    *) echo "scan.sh: unknown argument $arg" >&2; exit 2 ;;
  esac
done

cmake --build "$build" --target ferntrack_ui_bench -j2 >"$build/bench-build.log"

. "$here/bench/log.sh"

peak() { awk '/^peak_rss_VmHWM/ {print $2}'; }

make_bench_logs
small=$log
out=$("$build/bench/ferntrack_ui_bench" "$small" --runs "$runs")
echo "$out"
echo
"$build/bench/ferntrack_ui_bench" "$realistic_log" --runs "$runs"
if [ "$big" = 1 ]; then
  large=$build/bench-20m.log
  # 20M lines of about 137 bytes, and room to spare.
  make_log 20000000 "$large" 3500
  out_big=$("$build/bench/ferntrack_ui_bench" "$large" --runs "$runs")
  echo
  echo "$out_big"
  echo
  awk -v a="$(echo "$out" | peak)" -v b="$(echo "$out_big" | peak)" \
    'BEGIN {printf "peak_rss_2m %d kB, peak_rss_20m %d kB, ratio %.2f\n", a, b, b / a}'
fi
