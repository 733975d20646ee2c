#!/usr/bin/env bash
# Runs a Windows test program under Wine for ctest (and for the listing of its tests):
#   wine-test.sh WINE PROGRAM [ARGUMENT...]
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
output=$(mktemp)
errors=$(mktemp)
trap 'rm -f "$output" "$errors"' EXIT

"$wine" "$@" >"$output" 2>"$errors"
status=$?
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
  "$wine" "$@"
  exit
fi
cat "$output"
cat "$errors" >&2
exit "$status"
