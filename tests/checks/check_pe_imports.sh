#!/bin/sh
# Usage: check_pe_imports.sh <objdump> <dll> <pe-format>
# The DLL is of the expected machine and imports from system DLLs only (the C
# and C++ runtimes are linked in; msvcrt.dll is the system's own C library).
set -u
objdump=$1 dll=$2 format=$3
status=0

if ! "$objdump" -f "$dll" | grep -q "file format $format\$"; then
  echo "FAIL: $dll is not $format:"; "$objdump" -f "$dll"
  status=1
fi

imports=$("$objdump" -p "$dll" | sed -n 's/^[[:space:]]*DLL Name: //p')
[ -n "$imports" ] || { echo "FAIL: no import table found"; status=1; }
for name in $imports; do
  case $(printf '%s' "$name" | tr 'A-Z' 'a-z') in
    kernel32.dll|msvcrt.dll|user32.dll|gdi32.dll|advapi32.dll|ole32.dll|oleaut32.dll|shell32.dll|shlwapi.dll) ;;
    *) echo "FAIL: imports a non-system DLL: $name"; status=1 ;;
  esac
done
[ $status -eq 0 ] && echo "ok: $format, imports: $(echo $imports)"
exit $status
