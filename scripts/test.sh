#!/usr/bin/env bash
# Sets up the machine, builds Rostrel and runs every test: once in the plain build and once in
# a build with AddressSanitizer and UndefinedBehaviorSanitizer. No display is needed. The
# benchmark and the fuzz targets are compiled too (not run), so that the test helpers they share
# cannot rot unseen.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
jobs=$(nproc)

bash scripts/build.sh build -DROSTREL_BUILD_BENCH=ON
ctest --test-dir build --output-on-failure -j "$jobs"

bash scripts/build.sh build-asan -DROSTREL_SANITIZE=ON
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j "$jobs"

CC=clang CXX=clang++ bash scripts/build.sh build-fuzz -DROSTREL_BUILD_FUZZ=ON \
  -DROSTREL_BUILD_APP=OFF -DROSTREL_BUILD_TESTS=OFF
