#!/bin/sh
# Usage: check_program.sh <wine-run> <PELRIN.DLL> <pelrin-check.exe> <examples-dir> <expected-dir> <appdata-dir> <work-dir>
# pelrin-check and the VBScript version against the registered DLL, as a user
# runs them: the sample text with the user's ignore list (one phrase, in
# another case), as text and as JSON; from standard input without the list;
# the input errors and the ANSI code page.
set -u
wine_run=$1 dll=$2 exe=$3 examples=$4 expected=$5 appdata=$6 work=$7
status=0
fail() { printf 'FAIL: %s\n' "$*"; status=1; }
"$wine_run" regsvr32 /s "$dll" || { echo "FAIL: regsvr32 exited $?"; exit 1; }

# The ignore list lives in the prefix's application-data folder: put back
# whatever was there.
settings="$appdata/Pelrin/Pelrin.ini"
rm -rf "$work" && mkdir -p "$work" "$appdata/Pelrin" || exit 1
[ -f "$settings" ] && cp "$settings" "$work/saved.ini"
trap 'if [ -f "$work/saved.ini" ]; then cp "$work/saved.ini" "$settings"; else rm -f "$settings"; fi' EXIT
printf '[Ignore]\r\nCount=1\r\nPhrase0=Free Gift\r\n' > "$settings"

# run <expected exit> <name> <command...>: output (CR dropped) in $out, errors in $err.
run() {
  want=$1 name=$2
  shift 2
  "$@" >"$work/stdout" 2>"$work/stderr"
  code=$?
  out=$(tr -d '\r' < "$work/stdout")
  err=$(tr -d '\r' < "$work/stderr")
  [ "$code" = "$want" ] || fail "$name: exit $code, not $want; stderr: $err"
}

cd "$examples" || exit 1
run 1 "text" "$wine_run" "$exe" sample.txt
printf '%s\n' "$out" | diff -u "$expected/expected_sample.txt" - || fail "text output"
run 1 "json" "$wine_run" "$exe" --json '.\sample.txt'
printf '%s\n' "$out" | diff -u "$expected/expected_sample.json" - || fail "JSON output"
run 1 "VBScript" "$wine_run" cscript //nologo check_text.vbs sample.txt
printf '%s\n' "$out" | diff -u "$expected/expected_sample.txt" - || fail "VBScript output"

# Without the ignore list the free gift is found too; standard input is "<stdin>".
run 1 "--no-ignore" "$wine_run" "$exe" --no-ignore < sample.txt
printf '%s\n' "$out" | grep -qx '<stdin>:10:55: "free gift" -> "gift"' || fail "--no-ignore from standard input: $out"
[ "$(printf '%s\n' "$out" | wc -l)" -eq 15 ] || fail "--no-ignore: not 15 findings"

cd "$work" || exit 1
: > empty.txt
printf ' \t\r\n\n  \r\n' > separators.txt
printf 'caf\351 don\222t plan ahead\n' > ansi.txt
run 0 "empty file" "$wine_run" "$exe" empty.txt separators.txt
[ -z "$out$err" ] || fail "empty file and separators: $out $err"
run 2 "missing file" "$wine_run" "$exe" missing.txt
printf '%s\n' "$err" | grep -q '^missing.txt: error: cannot read: ' || fail "missing file: $err"
run 2 "not UTF-8" "$wine_run" "$exe" ansi.txt
[ "$err" = "ansi.txt:1:4: error: not UTF-8 (for text in the ANSI code page, use --encoding ansi)" ] ||
  fail "not UTF-8: $err"
run 1 "ANSI code page" "$wine_run" "$exe" --encoding ansi ansi.txt
[ "$out" = 'ansi.txt:1:12: "plan ahead" -> "plan"' ] || fail "ANSI code page: $out"
run 2 "unknown option" "$wine_run" "$exe" --colour sample.txt
exit $status
