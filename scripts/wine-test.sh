#!/usr/bin/env bash
# Runs a Windows test program under Wine for ctest (and for the listing of its tests):
#   wine-test.sh WINE PROGRAM [ARGUMENT...]
# Wine 8 on Debian 12 now and then breaks in its own loader as a program ends, after the program
# has done its work and printed its results ("Inconsistency detected by ld.so: dl-fini.c: ...
# _dl_fini: Assertion ... failed!"), and the run fails although every test in it passed. A run
# that failed with that message and reported no failed test, and only such a run, is started once
# more: what the first run printed is kept on standard error, followed by a line that says why the
# program runs again. A test that fails for any other reason fails as it is.
set -uo pipefail
wine=$1
shift
output=$(mktemp)
errors=$(mktemp)
trap 'rm -f "$output" "$errors"' EXIT

"$wine" "$@" >"$output" 2>"$errors"
status=$?
if [ "$status" -ne 0 ] && grep -q '^Inconsistency detected by ld\.so' "$errors" &&
  ! grep -q '^\[  FAILED  \]' "$output"; then
  cat "$output" "$errors" >&2
  echo "wine-test.sh: Wine broke in its own loader as the program ended (exit code $status);" \
    "running the program once more" >&2
  "$wine" "$@"
  exit
fi
cat "$output"
cat "$errors" >&2
exit "$status"
