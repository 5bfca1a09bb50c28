#!/usr/bin/env bash
# Times the tally gathering beside an awk program that counts requests and
# bytes per user on the same file, and prints the ratio (the program's time
# over awk's) and the resident memory before and after gathering once and
# twice, for each of these logs:
#
#   bench-2m.log        the 2,000,000-line generated log (aim: at most 1.0)
#   bench-realistic-2m.log  the realistic log (aim: at most 0.5)
#   bench-2m-users.log  the same lines, each with a user of its own:
#                       2,000,000 users, where the once-a-second sort must
#                       stay a small share of the gathering (aim: at most 2.0)
#
#   bash bench/tally.sh
#
# BUILD names the build directory (default build/), RUNS the runs of which
# the best counts (default 3). The logs are kept in the build directory and
# reused (bench-2m.log is the one bench/scan.sh uses).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$here/build}
runs=${RUNS:-3}

cmake --build "$build" --target ferntrack_tally_bench -j2 >"$build/bench-build.log"
. "$here/bench/log.sh"
make_bench_logs
users_log=$build/bench-2m-users.log
if [ ! -s "$users_log" ]; then
  echo "generating $users_log ..." >&2
  LC_ALL=C awk '{ $8 = "u" NR; print }' "$log" >"$users_log.part"
  mv "$users_log.part" "$users_log"
fi

best() { sort -g | head -1; }
# Per user (the client address for requests without one): requests, bytes.
awk_prog='{ u = $8; if (u == "-") u = $3; n[u]++; b[u] += $5 } END { for (u in n) print u, n[u], b[u] }'

# measure NAME LOG TARGET
measure() {
  local name=$1 file=$2 target=$3 tally_times=() awk_times=() out= start end t a
  for _ in $(seq "$runs"); do
    out=$("$build/bench/ferntrack_tally_bench" "$file")
    tally_times+=("$(echo "$out" | awk '/^seconds_gather/ {print $2}')")
    start=$(date +%s.%N)
    LC_ALL=C awk "$awk_prog" "$file" >"$build/bench-sink"
    end=$(date +%s.%N)
    awk_times+=("$(awk -v s="$start" -v e="$end" 'BEGIN { print e - s }')")
  done
  t=$(printf '%s\n' "${tally_times[@]}" | best)
  a=$(printf '%s\n' "${awk_times[@]}" | best)
  echo "== $name: $file, best of $runs"
  echo "$out" | grep -v '^seconds_gather'
  echo "awk_seconds $a"
  echo "tally_seconds $t"
  awk -v t="$t" -v a="$a" -v g="$target" \
    'BEGIN { printf "ratio_tally_to_awk %.2f (target <= %.1f: %s)\n", t / a, g, t / a <= g ? "met" : "MISSED" }'
}

measure benchmark_log "$log" 1.0
measure realistic_log "$realistic_log" 0.5
measure many_users "$users_log" 2.0
