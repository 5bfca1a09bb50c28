#!/usr/bin/env bash
# Times a whole report run of the real program (default report options, a
# words file of a few words) beside awk summing bytes per user over the same
# file, and compares the peak memory of that run with one over a log a
# hundred times smaller, on each of these logs:
#
#   bench-2m.log              the plain 2,000,000-line log (aim: 1.0 x awk)
#   bench-realistic-2m.log    the realistic one (aim: 0.7 x awk), then again
#                             with words that make about one line in ten a
#                             hit written to the report (aim: 1.0 x awk)
#   bench-1m-domains.log      the realistic lines with every second one sent
#                             to a site of its own: 1,000,000 domains (peak
#                             memory under 256 MB, time per line at most
#                             twice that of the realistic log)
#
#   bash bench/report.sh [--binary PATH]
#
# BUILD names the build directory (default build/), RUNS the runs of which
# the best counts (default 3). Logs are kept in the build directory and
# reused. --binary times another build of the program on the same logs.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$here/build}
runs=${RUNS:-3}
binary=()
case ${1:-} in
  -h|--help) sed -n '2,21p' "$0"; exit 0 ;;
  --binary) binary=(--binary "$2") ;;
  "") ;;
  *) echo "report.sh: unknown argument $1" >&2; exit 2 ;;
esac

cmake --build "$build" --target ferntrack_report_bench -j2 >"$build/bench-build.log"

. "$here/bench/log.sh"
make_bench_logs
small=$build/bench-20k.log
[ -s "$small" ] || head -n 20000 "$log" >"$small"
small_realistic=$build/bench-realistic-20k.log
[ -s "$small_realistic" ] || head -n 20000 "$realistic_log" >"$small_realistic"
domains_log=$build/bench-1m-domains.log
if [ ! -s "$domains_log" ]; then
  echo "generating $domains_log ..." >&2
  python3 - "$realistic_log" "$domains_log.part" <<'PY'
import sys
with open(sys.argv[1], "rb") as src, open(sys.argv[2], "wb") as out:
    for n, line in enumerate(src, 1):
        fields = line.split(b" ")
        words = [f for f in fields if f]
        if n % 2 == 0 and len(words) >= 7:
            url = words[6]
            site = b"s%d.example.net" % n
            if b"://" in url:
                scheme, rest = url.split(b"://", 1)
                slash = rest.find(b"/")
                new = scheme + b"://" + site + (rest[slash:] if slash >= 0 else b"")
            else:
                new = site + b":443"
            line = line.replace(url, new, 1)
        out.write(line)
PY
  mv "$domains_log.part" "$domains_log"
fi
words=$build/bench-words-tenth.txt
printf 'player\nlogo\n' >"$words"

bench=$build/bench/ferntrack_report_bench
echo "== plain log"
FERNTRACK_RATIO_TARGET=1.0 "$bench" "$log" "$small" --runs "$runs" "${binary[@]}"
echo "== realistic log"
FERNTRACK_RATIO_TARGET=0.7 "$bench" "$realistic_log" "$small_realistic" --runs "$runs" "${binary[@]}"
echo "== realistic log, one line in ten a hit written to the report"
FERNTRACK_RATIO_TARGET=1.0 "$bench" "$realistic_log" "$small_realistic" --runs "$runs" --words "$words" "${binary[@]}"
echo "== 1,000,000 domains"
FERNTRACK_RATIO_TARGET=1.0 "$bench" "$domains_log" "$small_realistic" --runs 1 "${binary[@]}"
