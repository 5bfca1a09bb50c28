#!/usr/bin/env bash
# Times `ferntrack report` beside the report run of the 'l' screen over the
# 2,000,000-line generated log (default report options, a few words), the
# HTML page beside the text report, and with --big a report of one hour of
# the 20,000,000-line log beside a report of all of it, with the bytes
# each run read.
#
#   bash bench/batch.sh [--big]
#
# BUILD names the build directory (default build/), RUNS the runs of which
# the best counts (default 3). Logs are kept in the build directory and
# reused.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$here/build}
runs=${RUNS:-3}
big=0
case ${1:-} in
  -h|--help) sed -n '2,12p' "$0"; exit 0 ;;
  --big) big=1 ;;
  "") ;;
  *) echo "batch.sh: unknown argument $1" >&2; exit 2 ;;
esac

cmake --build "$build" --target ferntrack_batch_bench -j2 >"$build/bench-build.log"

. "$here/bench/log.sh"
log=$build/bench-2m.log
make_log 2000000 "$log"
if [ "$big" = 1 ]; then
  large=$build/bench-20m.log
  make_log 20000000 "$large" 3500
  "$build/bench/ferntrack_batch_bench" "$log" "$large" --runs "$runs"
else
  "$build/bench/ferntrack_batch_bench" "$log" --runs "$runs"
fi
