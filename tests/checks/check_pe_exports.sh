#!/bin/sh
# Usage: check_pe_exports.sh <objdump> <dll>
# The export table names the library "Pelrin.DLL" and holds exactly the four
# entry points, undecorated (no stdcall "@n"), at ordinals 1 to 4.
set -u
objdump=$1 dll=$2
status=0
dump=$("$objdump" -p "$dll")

name=$(printf '%s\n' "$dump" | sed -n 's/^Name[[:space:]]*[0-9a-f]* //p')
[ "$name" = "Pelrin.DLL" ] || { echo "FAIL: export table name '$name', expected 'Pelrin.DLL'"; status=1; }

base=$(printf '%s\n' "$dump" | sed -n 's/^Ordinal Base[[:space:]]*//p')
[ "$base" = "1" ] || { echo "FAIL: ordinal base '$base', expected 1"; status=1; }

# "[Ordinal/Name Pointer] Table" lists each name with its ordinal less the base.
names=$(printf '%s\n' "$dump" | awk '
  /^\[Ordinal\/Name Pointer\] Table/ { on = 1; next }
  on && /^[[:space:]]*$/ { exit }
  on { gsub(/[][]/, " "); print $1 + 1, $2 }')
expected="1 DllCanUnloadNow
2 DllGetClassObject
3 DllRegisterServer
4 DllUnregisterServer"
if [ "$names" != "$expected" ]; then
  echo "FAIL: exports (ordinal name) are:"; printf '%s\n' "$names"
  echo "expected:"; printf '%s\n' "$expected"
  status=1
fi
case $names in *@*) echo "FAIL: decorated export names"; status=1 ;; esac

count=$(printf '%s\n' "$dump" | sed -n 's/^[[:space:]]*Export Address Table[[:space:]]*0*\([0-9a-f][0-9a-f]*\)$/\1/p' | head -n 1)
[ "$count" = "4" ] || { echo "FAIL: $count export addresses, expected 4"; status=1; }

[ $status -eq 0 ] && echo "ok: Pelrin.DLL exports" $(printf '%s\n' "$names" | tr '\n' ' ')
exit $status
