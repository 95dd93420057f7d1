#!/bin/sh
# Usage: check_side_by_side.sh <wine-run> <x64 PELRIN.DLL> <x86 PELRIN.DLL> <examples-dir>
# Both DLLs in one 64-bit prefix, each registered with the regsvr32 of its
# bitness: each script host gets the engine of its own bitness, found in its
# own registry view, and unregistering either leaves the other working. Ends
# with the x64 DLL registered alone, as the prefix's other tests expect.
set -u
wine_run=$1 x64=$2 x86=$3 examples=$4
[ -f "$x86" ] || { echo "SKIP: $x86 is not built (build the win32 preset first)"; exit 77; }
system32='C:\windows\system32' syswow64='C:\windows\syswow64'
windows_path() { printf 'Z:%s' "$1" | tr / '\\'; }

status=0
fail() { printf 'FAIL: %s\n' "$*"; status=1; }
regsvr32() { # <folder> <dll> [/u]
  "$wine_run" "$1\\regsvr32.exe" /s ${3:-} "$(windows_path "$2")" || fail "$1\\regsvr32 ${3:-} $2 exited $?"
}
answer=
expect_engine() { # <folder> <bits> <dll>: the host gets that DLL's engine
  raw=$("$wine_run" "$1\\cscript.exe" //nologo which_engine.vbs at)
  code=$?
  output=$(printf '%s' "$raw" | tr -d '\r')
  printf '%s\n' "$output"
  first=$(printf '%s\n' "$output" | head -n 1) second=$(printf '%s\n' "$output" | sed -n 2p)
  if [ $code -ne 0 ] || [ "$first" != "$2 host: engine $(windows_path "$3")" ]; then
    fail "$1\\cscript (exit $code) did not get $3"; return
  fi
  # Both engines give the same answer.
  [ -n "$answer" ] || answer=$second
  [ "$second" = "$answer" ] && [ "${second#  at: }" != "$second" ] || fail "$1\\cscript answered '$second'"
}
expect_none() { # <folder> <bits>
  raw=$("$wine_run" "$1\\cscript.exe" //nologo which_engine.vbs at)
  code=$?
  output=$(printf '%s' "$raw" | tr -d '\r')
  printf '%s\n' "$output"
  [ $code -eq 1 ] && [ "${output#"$2 host: no engine"}" != "$output" ] || fail "$1\\cscript still got an engine"
}

cd "$examples" || exit 1
echo "== both registered"
regsvr32 "$system32" "$x64"
regsvr32 "$syswow64" "$x86"
expect_engine "$system32" 64-bit "$x64"
expect_engine "$syswow64" 32-bit "$x86"

echo "== x86 unregistered"
regsvr32 "$syswow64" "$x86" /u
expect_engine "$system32" 64-bit "$x64"
expect_none "$syswow64" 32-bit

echo "== x64 unregistered, x86 registered again"
regsvr32 "$syswow64" "$x86"
regsvr32 "$system32" "$x64" /u
expect_engine "$syswow64" 32-bit "$x86"
expect_none "$system32" 64-bit

# Back to the x64 DLL alone; the type library's registration outlives
# unregistering, so the x86 one is removed by hand.
regsvr32 "$system32" "$x64"
regsvr32 "$syswow64" "$x86" /u
"$wine_run" reg delete 'HKCR\TypeLib\{EDBA7DC1-775A-11D3-B1D4-00104BC9635C}\1.0\409\win32' /f >/dev/null ||
  fail "cannot remove the x86 type library's registration"
exit $status
