# Sourced by the benchmark scripts (needs $here, the source directory).
# make_log LINES FILE [MEGABYTES_NEEDED [PROFILE]]: generates FILE with
# scripts/genlog.py (seed 42, the plain profile unless named) unless it is
# there already, so that every benchmark of a session works on the same
# kept log.
make_log() {
  local lines=$1 out=$2 need=${3:-0} profile=${4:-plain}
  [ -s "$out" ] && return 0
  if [ "$need" -gt 0 ]; then
    local avail
    avail=$(df -Pm "$(dirname "$out")" | awk 'NR == 2 {print $4}')
    if [ "$avail" -lt "$need" ]; then
      echo "$(basename "$0"): $out needs about $need MB, only $avail MB free" >&2
      exit 1
    fi
  fi
  echo "generating $lines lines ($profile) into $out ..." >&2
  python3 "$here/scripts/genlog.py" --lines "$lines" --seed 42 --profile "$profile" --out "$out.part"
  mv "$out.part" "$out"
}

# The two logs every benchmark runs on, kept in the build folder: the plain
# 2,000,000-line log (a few hundred users and sites) and a realistic one of
# as many lines (over 5,000 users, 50,000 domains, long URLs, bursts of
# denials, garbage lines). Sets $log and $realistic_log.
make_bench_logs() {
  log=$build/bench-2m.log
  realistic_log=$build/bench-realistic-2m.log
  make_log 2000000 "$log"
  make_log 2000000 "$realistic_log" 800 realistic
}
