#!/usr/bin/env bash
# A report over a rotation set of 8 files (7 gzip, 1 plain) beside the
# report over their concatenation unpacked into one plain file, the first
# screen of each once the compressed files are indexed, Up/Down steps
# across the set's file boundaries beside as many inside one file, and the
# peak memory of a set of 1,000 small files; on each of the two logs of
# bench/log.sh (the plain 2,000,000-line log and the realistic one).
#
#   bash bench/set.sh [--binary PATH]
#
# BUILD names the build directory (default build/), RUNS the runs of which
# the best counts (default 3). Logs and sets are kept in the build
# directory and reused. --binary times another build of the program.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$here/build}
runs=${RUNS:-3}
binary=()
case ${1:-} in
  -h|--help) sed -n '2,13p' "$0"; exit 0 ;;
  --binary) binary=(--binary "$2") ;;
  "") ;;
  *) echo "set.sh: unknown argument $1" >&2; exit 2 ;;
esac

cmake --build "$build" --target ferntrack_set_bench -j2 >"$build/bench-build.log"

. "$here/bench/log.sh"
make_bench_logs

# make_set LOG SETDIR: the log cut in 8 at line ends, oldest part first:
# access.log.7.gz ... access.log.1.gz and the live access.log.
make_set() {
  local log=$1 set=$2
  if [ ! -s "$set/access.log" ]; then
    rm -rf "$set.part" && mkdir -p "$set.part"
    split -n l/8 -d -a 1 "$log" "$set.part/piece"
    for k in 0 1 2 3 4 5 6; do
      gzip -c "$set.part/piece$k" >"$set.part/access.log.$((7 - k)).gz"
      rm "$set.part/piece$k"
    done
    mv "$set.part/piece7" "$set.part/access.log"
    rm -rf "$set" && mv "$set.part" "$set"
  fi
  # The concatenation of the set is the log itself.
  cmp -s <(zcat -f $(for k in 7 6 5 4 3 2 1; do echo "$set/access.log.$k.gz"; done) "$set/access.log") "$log" ||
    { echo "set.sh: $set is not $log cut in 8" >&2; exit 1; }
}
make_set "$log" "$build/bench-set8"
make_set "$realistic_log" "$build/bench-realistic-set8"

# 1,000 files of 200 lines each.
many=$build/bench-set1000
if [ ! -s "$many/access.log" ]; then
  rm -rf "$many.part" && mkdir -p "$many.part"
  head -n 200000 "$log" | split -l 200 -d -a 3 - "$many.part/piece"
  for k in $(seq 0 998); do
    mv "$many.part/piece$(printf %03d "$k")" "$many.part/access.log.$((999 - k))"
  done
  mv "$many.part/piece999" "$many.part/access.log"
  rm -rf "$many" && mv "$many.part" "$many"
fi

bench=$build/bench/ferntrack_set_bench
echo "== plain log"
"$bench" "$build/bench-set8" "$log" "$many" --runs "$runs" "${binary[@]}"
echo "== realistic log"
"$bench" "$build/bench-realistic-set8" "$realistic_log" "$many" --runs "$runs" "${binary[@]}"
