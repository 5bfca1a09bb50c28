#!/usr/bin/env bash
# Installs what building, testing and the demo need on Debian.
set -euo pipefail
# The first line builds and installs the program; the rest is for the tests,
# the manual page checks, the Debian package and its lint, the fuzzer, and
# the syslog daemon and logger of the gathered-logs test.
packages=(cmake g++ make libncurses-dev ncurses-base zlib1g-dev
          pkg-config libgtest-dev libvterm-dev python3 less groff-base man-db
          dpkg-dev file lintian clang libclang-rt-14-dev
          tidy chromium tzdata rsyslog bsdutils)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
