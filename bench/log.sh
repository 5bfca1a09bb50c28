# Sourced by the benchmark scripts (needs $here, the source directory).
# make_log LINES FILE [MEGABYTES_NEEDED]: generates FILE with
# scripts/genlog.py (seed 42) unless it is there already, so that every
# benchmark of a session works on the same kept log.
make_log() {
  local lines=$1 out=$2 need=${3:-0}
  [ -s "$out" ] && return 0
  if [ "$need" -gt 0 ]; then
    local avail
    avail=$(df -Pm "$(dirname "$out")" | awk 'NR == 2 {print $4}')
    if [ "$avail" -lt "$need" ]; then
      echo "$(basename "$0"): $out needs about $need MB, only $avail MB free" >&2
      exit 1
    fi
  fi
  echo "generating $lines lines into $out ..." >&2
  python3 "$here/scripts/genlog.py" --lines "$lines" --seed 42 --out "$out.part"
  mv "$out.part" "$out"
}
