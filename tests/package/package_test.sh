#!/usr/bin/env bash
# Builds the Debian package in a temporary folder inside the build folder and
# checks what an administrator gets from it: the package's name, its file
# list, its control fields with a Depends line worked out from the shared
# libraries, a binary that looks for the howto under /usr, and (when lintian
# is installed) no lintian error.
#
# The build is configured as if GoogleTest and libvterm were missing, so it
# also proves that building and installing need neither: configure must say
# in one line that the tests are skipped, and `cmake --install` must work.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
build=${BUILD:-$top/build}
mkdir -p "$build"
work=$(mktemp -d "$build/package-test.XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() { echo "package test: FAILED: $*" >&2; exit 1; }

version=$(sed -n 's/^project(ferntrack VERSION \([0-9.]*\).*/\1/p' "$top/CMakeLists.txt")
[ -n "$version" ] || fail "no version in CMakeLists.txt"

# --- Build and install without the test packages -------------------------------
cmake -S "$top" -B "$work/build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
      -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON -DCMAKE_DISABLE_FIND_PACKAGE_PkgConfig=ON \
      >"$work/configure.log"
skipped=$(grep -c '^-- Tests skipped: ' "$work/configure.log" || true)
[ "$skipped" = 1 ] || { cat "$work/configure.log"; fail "configure did not say once that the tests are skipped"; }
grep '^-- Tests skipped: ' "$work/configure.log"
cmake --build "$work/build" -j"$(nproc)" >"$work/build.log" || { tail -30 "$work/build.log"; fail "build"; }
DESTDIR="$work/stage" cmake --install "$work/build" >"$work/install.log"
for f in usr/bin/ferntrack usr/share/ferntrack/HOWTO usr/share/man/man1/ferntrack.1.gz \
         usr/share/doc/ferntrack/copyright usr/share/doc/ferntrack/changelog.Debian.gz; do
  [ -f "$work/stage/$f" ] || fail "cmake --install did not install /$f"
done

# --- The package ------------------------------------------------------------------
(cd "$work/build" && cpack -G DEB >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; fail "cpack"; }
arch=$(dpkg --print-architecture)
deb="$work/build/ferntrack_${version}-1_${arch}.deb"
[ -f "$deb" ] || { ls "$work/build"; fail "no ferntrack_${version}-1_${arch}.deb"; }

files=$(dpkg-deb -c "$deb" | awk '{print $6}' | grep -v '/$' | sort)
expected="./usr/bin/ferntrack
./usr/share/doc/ferntrack/changelog.Debian.gz
./usr/share/doc/ferntrack/copyright
./usr/share/ferntrack/HOWTO
./usr/share/man/man1/ferntrack.1.gz"
[ "$files" = "$expected" ] || fail "file list:
$files"
dpkg-deb -c "$deb" | awk '$2 != "root/root" {exit 1}' || fail "files not owned by root"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = ferntrack ] || fail "Package: $(field Package)"
[ "$(field Version)" = "${version}-1" ] || fail "Version: $(field Version)"
[ "$(field Section)" = admin ] || fail "Section: $(field Section)"
[ "$(field Priority)" = optional ] || fail "Priority: $(field Priority)"
[[ "$(field Maintainer)" =~ ^[^\<]+\ \<[^@]+@[^\>]+\>$ ]] || fail "Maintainer: $(field Maintainer)"
[ "$(field Description | wc -l)" -ge 3 ] || fail "Description has no paragraph"
depends=$(field Depends)
for lib in libc6 libncursesw6 libtinfo6 libstdc++6; do
  [[ ", $depends," == *", $lib ("* ]] || fail "Depends lacks $lib: $depends"
done
echo "Depends: $depends"

# --- What is inside ----------------------------------------------------------------
dpkg-deb -x "$deb" "$work/root"
for gz in usr/share/man/man1/ferntrack.1.gz usr/share/doc/ferntrack/changelog.Debian.gz; do
  gzip -t "$work/root/$gz" || fail "$gz is not gzip"
done
zcat "$work/root/usr/share/man/man1/ferntrack.1.gz" | cmp -s - "$top/doc/ferntrack.1" ||
  fail "the packaged manual page differs from doc/ferntrack.1"
zcat "$work/root/usr/share/doc/ferntrack/changelog.Debian.gz" | head -1 | grep -q "^ferntrack (${version}-1) " ||
  fail "changelog.Debian does not begin with ${version}-1"
bin="$work/root/usr/bin/ferntrack"
[ "$("$bin" --version)" = "ferntrack $version" ] || fail "--version: $("$bin" --version)"
# A first run makes the HOWTO link; without a proxy log it then stops with
# advice before the screen is taken over.
if [ ! -e /var/log/squid/access.log ] && [ ! -e /usr/local/squid/var/logs/access.log ]; then
  mkdir "$work/home"
  HOME="$work/home" "$bin" </dev/null >"$work/first-run.out" 2>&1 && fail "a first run without a log started"
  link=$(readlink "$work/home/.ferntrack/HOWTO")
  [ "$link" = /usr/share/ferntrack/HOWTO ] || fail "HOWTO link points to $link"
else
  grep -aq /usr/share/ferntrack "$bin" || fail "the binary does not look in /usr/share/ferntrack"
fi

if command -v lintian >"$work/lintian-path"; then
  status=0
  report=$(lintian --fail-on error "$deb" 2>&1) || status=$?
  printf '%s\n' "$report" | grep -v 'running with root privileges' || true
  [ "$status" = 0 ] || fail "lintian reports an error"
else
  echo "lintian not installed: skipped"
fi
echo "package test: $(basename "$deb") passed"
