#!/usr/bin/env bash
# Sets up the machine, builds Rostrel and runs every test: once in the plain build and once in
# a build with AddressSanitizer and UndefinedBehaviorSanitizer. No display is needed.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
jobs=$(nproc)

bash scripts/build.sh build
ctest --test-dir build --output-on-failure -j "$jobs"

bash scripts/build.sh build-asan -DROSTREL_SANITIZE=ON
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j "$jobs"
