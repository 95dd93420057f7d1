#!/bin/sh
# Usage: run_script.sh <wine-run> <PELRIN.DLL> <script> [expected-output-file] [args...]
# Registers the DLL in the build tree's prefix, runs a script with cscript and
# passes when it exits 0 and either its last line is "SUITE PASSED" or its
# output equals the expected file. cscript exits 0 on script errors, so the
# output is what tells.
set -u
wine_run=$1 dll=$2 script=$3 expected=${4:-}
[ $# -ge 4 ] && shift 4 || shift 3

"$wine_run" regsvr32 /s "$dll" || { echo "FAIL: regsvr32 exited $?"; exit 1; }

# cscript reads relative paths only (a /path looks like a switch): run from the script's folder.
cd "$(dirname "$script")" || exit 1
raw=$(WINEDEBUG="${WINEDEBUG:--all}" "$wine_run" cscript //nologo "$(basename "$script")" "$@")
status=$?
output=$(printf '%s' "$raw" | tr -d '\r')
printf '%s\n' "$output"
[ $status -eq 0 ] || { echo "FAIL: cscript exited $status"; exit 1; }
if [ -n "$expected" ]; then
  printf '%s\n' "$output" | diff -u "$expected" - || { echo "FAIL: output differs from $expected"; exit 1; }
else
  [ "$(printf '%s\n' "$output" | tail -n 1)" = "SUITE PASSED" ] || { echo "FAIL: the suite did not finish"; exit 1; }
fi
exit 0
