#!/usr/bin/env bash
# Times the tally gathering over the 2,000,000-line generated log beside an
# awk program that counts requests and bytes per user on the same file, and
# prints the ratio (the program's time over awk's; at most 1.0 is the aim)
# and the resident memory before and after gathering once and twice.
#
#   bash bench/tally.sh
#
# BUILD names the build directory (default build/), RUNS the runs of which
# the best counts (default 3). The log is kept in the build directory and
# reused (the same file as bench/scan.sh uses).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$here/build}
runs=${RUNS:-3}

cmake --build "$build" --target ferntrack_tally_bench -j2 >/dev/null
. "$here/bench/log.sh"
log=$build/bench-2m.log
make_log 2000000 "$log"

best() { sort -g | head -1; }
# Per user (the client address for requests without one): requests, bytes.
awk_prog='{ u = $8; if (u == "-") u = $3; n[u]++; b[u] += $5 } END { for (u in n) print u, n[u], b[u] }'

tally_times=() awk_times=() out=
for _ in $(seq "$runs"); do
  out=$("$build/bench/ferntrack_tally_bench" "$log")
  tally_times+=("$(echo "$out" | awk '/^seconds_gather/ {print $2}')")
  start=$(date +%s.%N)
  LC_ALL=C awk "$awk_prog" "$log" >/dev/null
  end=$(date +%s.%N)
  awk_times+=("$(awk -v s="$start" -v e="$end" 'BEGIN { print e - s }')")
done
t=$(printf '%s\n' "${tally_times[@]}" | best)
a=$(printf '%s\n' "${awk_times[@]}" | best)
echo "$out" | grep -v '^seconds_gather'
echo "awk_seconds $a"
echo "tally_seconds $t"
awk -v t="$t" -v a="$a" 'BEGIN { printf "ratio_tally_to_awk %.2f\n", t / a }'
