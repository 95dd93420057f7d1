#!/bin/sh
# Usage: check_examples.sh <wine-run> <PELRIN.DLL> <match_word.exe> <examples-dir> <clients-dir>
# The three example clients (VBScript, JScript, C++) print the same answer,
# the expected one, for a word with phrases and for a word without.
set -u
wine_run=$1 dll=$2 exe=$3 examples=$4 clients=$5
"$wine_run" regsvr32 /s "$dll" || { echo "FAIL: regsvr32 exited $?"; exit 1; }

status=0
check() { # <name> <expected-file> <command...>
  name=$1 expected=$2
  shift 2
  raw=$("$@")
  code=$?
  output=$(printf '%s' "$raw" | tr -d '\r')
  if [ $code -ne 0 ] || ! printf '%s\n' "$output" | diff -u "$expected" - ; then
    echo "FAIL: $name (exit $code)"; status=1
  else
    echo "ok: $name"
  fi
}

cd "$examples" || exit 1
for word in at zebra; do
  expected="$clients/expected_match_word_$word.txt"
  check "match_word.vbs $word" "$expected" "$wine_run" cscript //nologo match_word.vbs "$word"
  check "match_word.js $word" "$expected" "$wine_run" cscript //nologo match_word.js "$word"
  check "match_word.exe $word" "$expected" "$wine_run" "$exe" "$word"
done
exit $status
