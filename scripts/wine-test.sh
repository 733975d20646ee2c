#!/usr/bin/env bash
# Runs a Windows test program under Wine for ctest (and for the listing of its tests):
#   wine-test.sh WINE PROGRAM [ARGUMENT...]
# Wine's C runtime is more forgiving than Windows' own: where Windows' msvcrt.dll refuses a call
# (an unknown fopen mode flag, for one), Wine's goes on and says so on its error channel. That
# channel is on here (WINEDEBUG gains err+msvcrt; the other channels stay as the caller set
# them, all off by default), and a program that printed any "err:msvcrt" line fails, even when
# its tests passed.
# Wine 8 on Debian 12 now and then fails a program that is not at fault, in two ways seen here:
# it breaks in its own loader as the program ends, after the program has done its work and
# printed its results ("Inconsistency detected by ld.so: dl-fini.c: ... _dl_fini: Assertion ...
# failed!"), or the program ends at once with an error and prints nothing at all, although every
# test program prints before it does anything else. A run that failed in one of these two ways
# and reported no failed test is started once more: what the first run printed is kept on
# standard error, followed by a line that says why the program runs again. A program that fails
# in any other way fails as it is.
set -uo pipefail
wine=$1
shift
export WINEDEBUG="${WINEDEBUG:--all},err+msvcrt"
output=$(mktemp)
errors=$(mktemp)
trap 'rm -f "$output" "$errors"' EXIT

runtime_errors=0
run() {
  "$wine" "$@" >"$output" 2>"$errors"
  status=$?
  runtime_errors=$((runtime_errors + $(grep -c 'err:msvcrt' "$errors")))
}

run "$@"
why=""
if [ "$status" -ne 0 ] && ! grep -q '^\[  FAILED  \]' "$output"; then
  if grep -q '^Inconsistency detected by ld\.so' "$errors"; then
    why="Wine broke in its own loader as the program ended"
  elif [ ! -s "$output" ]; then
    why="the program ended at once and printed nothing"
  fi
fi
if [ -n "$why" ]; then
  cat "$output" "$errors" >&2
  echo "wine-test.sh: $why (exit code $status); running the program once more" >&2
  run "$@"
fi
cat "$output"
cat "$errors" >&2
if [ "$runtime_errors" -ne 0 ]; then
  echo "wine-test.sh: Wine's C runtime reported $runtime_errors error(s) (err:msvcrt above):" \
    "calls that Windows' own runtime refuses or treats differently" >&2
  [ "$status" -ne 0 ] || status=1
fi
exit "$status"
