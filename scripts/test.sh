#!/usr/bin/env bash
# Installs the dependencies, builds, and runs every test: once in a plain
# build, then the Debian package test, then once more under AddressSanitizer
# and UndefinedBehaviorSanitizer, then the parser fuzzer for a bounded time.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
bash scripts/deps.sh
jobs=$(nproc)

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$jobs"
(cd build && ctest --output-on-failure -j2)

# The Debian package, built without the test packages in a folder of its own.
if [ -n "$(command -v cpack)" ] && [ -n "$(command -v dpkg-deb)" ]; then
  bash tests/package/package_test.sh
fi

cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DFERNTRACK_SANITIZE=ON
cmake --build build-sanitize -j"$jobs"
(cd build-sanitize && ctest --output-on-failure -j2)

if [ -f fuzz/CMakeLists.txt ] && [ -n "$(command -v clang++)" ]; then
  CXX=clang++ cmake -S . -B build-fuzz -DFERNTRACK_FUZZ=ON -DFERNTRACK_TESTS=OFF
  cmake --build build-fuzz --target fuzz_parsers -j"$jobs"
  bash fuzz/run.sh build-fuzz/fuzz/fuzz_parsers "${FUZZ_SECONDS:-60}"
fi
