#!/usr/bin/env bash
# Runs one fuzz target for a given time:
#   tests/fuzz/run.sh TARGET SECONDS [BUILD_DIR]
# TARGET is read_clubs, parse_athletes, rewrite_entries or unpack. BUILD_DIR (default
# build-fuzz) is a clang build made with -DROSTREL_BUILD_FUZZ=ON; it is configured and the
# target built when needed. The corpus grows in BUILD_DIR/fuzz-corpus/TARGET, beside the seeds
# made from examples/ (made again at every run); inputs that break the target land in
# BUILD_DIR/fuzz-crashes/TARGET/. The log goes to BUILD_DIR/fuzz-TARGET.log.
set -euo pipefail
target=${1:?usage: run.sh TARGET SECONDS [BUILD_DIR]}
seconds=${2:?usage: run.sh TARGET SECONDS [BUILD_DIR]}
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$root/${3:-build-fuzz}
here=$root/tests/fuzz

if [ ! -f "$build/build.ninja" ]; then
  CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DROSTREL_BUILD_FUZZ=ON \
    -DROSTREL_BUILD_APP=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$build" -j2 --target "fuzz_$target"
bash "$here/make_seeds.sh" "$build/fuzz-corpus" > /dev/null
mkdir -p "$build/fuzz-crashes/$target"

case $target in
  unpack) dict=$here/zip.dict; max_len=65536 ;;
  *) dict=$here/lenex.dict; max_len=16384 ;;
esac

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
"$build/tests/fuzz/fuzz_$target" "$build/fuzz-corpus/$target" \
  -dict="$dict" -max_len="$max_len" -max_total_time="$seconds" -timeout=10 \
  -rss_limit_mb=2048 -print_final_stats=1 \
  -artifact_prefix="$build/fuzz-crashes/$target/" 2>&1 | tee "$build/fuzz-$target.log" | \
  grep -E '^(#[0-9]+[[:space:]]+(DONE|INITED)|stat::|==[0-9]+==|SUMMARY|artifact|rule broken)' || true
# The fuzzer's own verdict: 0 when it ran out its time without finding anything.
exit "${PIPESTATUS[0]}"
