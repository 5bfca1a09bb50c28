#!/usr/bin/env bash
# Installs the dependencies, builds, and starts ferntrack on a generated
# sample log in a home of its own under build/, while a background writer
# appends a request every second so that monitor mode can be watched.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
bash scripts/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target ferntrack

home="$top/build/demo-home"
log="$home/access.log"
mkdir -p "$home"
if [ ! -d "$home/.ferntrack" ]; then
  mkdir -p "$home/.ferntrack"
  ln -s "$log" "$home/.ferntrack/log1"
  ln -s log1 "$home/.ferntrack/log2"
  ln -s log1 "$home/.ferntrack/log3"
  ln -s "$top/doc/HOWTO" "$home/.ferntrack/HOWTO"
  printf 'download\n!windowsupdate\n.exe\n' > "$home/.ferntrack/words"
fi
now=$(date +%s)
# The writer watches this shell's process id, which ferntrack takes over,
# and stops when ferntrack ends.
python3 scripts/genlog.py --lines 20000 --seed 7 --days 2 --start $((now - 2 * 86400)) \
  --append-every 1 --out "$log" --pid $$ &
until [ -s "$log" ] && [ "$(wc -l < "$log")" -ge 20000 ]; do sleep 0.2; done
exec env HOME="$home" "$top/build/ferntrack"
