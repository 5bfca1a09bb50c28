#!/usr/bin/env bash
# Times a whole report run of the real program (default report options, a
# words file of a few words) over the 2,000,000-line generated log beside
# awk summing bytes per user over the same file, and compares the peak
# memory of that run with one over a log a hundred times smaller.
#
#   bash bench/report.sh
#
# BUILD names the build directory (default build/), RUNS the runs of which
# the best counts (default 3). Logs are kept in the build directory and
# reused.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$here/build}
runs=${RUNS:-3}
case ${1:-} in
  -h|--help) sed -n '2,11p' "$0"; exit 0 ;;
  "") ;;
  *) echo "report.sh: unknown argument $1" >&2; exit 2 ;;
esac

cmake --build "$build" --target ferntrack_report_bench -j2 >/dev/null

. "$here/bench/log.sh"
log=$build/bench-2m.log
make_log 2000000 "$log"
small=$build/bench-20k.log
[ -s "$small" ] || head -n 20000 "$log" >"$small"

"$build/bench/ferntrack_report_bench" "$log" "$small" --runs "$runs"
