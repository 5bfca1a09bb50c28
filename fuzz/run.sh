#!/usr/bin/env bash
# Runs the parser fuzzer for a bounded time. A crash fails the run and leaves
# its input in fuzz/artifacts/; copy it into fuzz/regressions/ so the unit
# tests replay it from then on.
set -euo pipefail
bin=$1
seconds=${2:-60}
top=$(cd "$(dirname "$0")/.." && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$top/fuzz/artifacts"
if ! "$bin" -max_total_time="$seconds" -close_fd_mask=3 \
    -artifact_prefix="$top/fuzz/artifacts/" "$scratch" "$top/fuzz/corpus" "$top/fuzz/regressions" \
    >"$scratch/fuzz.log" 2>&1; then
  tail -n 40 "$scratch/fuzz.log"
  echo "fuzz: crashed; the input is in fuzz/artifacts/"
  exit 1
fi
echo "fuzz: $seconds s without a crash ($(grep -c . "$scratch/fuzz.log") log lines)"
