#!/bin/sh
# Usage: check_pe_imports.sh <objdump> <dll> <pe-format> <version>
# The DLL is of the expected machine and imports from system DLLs only (the C
# and C++ runtimes are linked in; msvcrt.dll is the system's own C library).
# What each version links shows in its imports: 1.0.0.5 its registry script
# interpreter (advapi32) and settings file (profile functions); 1.0.0.1
# neither, but the system's registrar (CoCreateInstance) and the error report
# facility's dialog.
set -u
objdump=$1 dll=$2 format=$3 version=$4
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
functions=$("$objdump" -p "$dll" | awk '/DLL Name:/ { on = 1; next } on && NF >= 3 && $1 ~ /^[0-9a-f]+$/ { print $3 }')
case $version in
  1.0.0.5) present="RegCreateKeyExA WritePrivateProfileStringA GetPrivateProfileStringA"
           absent="CoCreateInstance CreateDialogIndirectParamA" ;;
  1.0.0.1) present="CoCreateInstance CreateDialogIndirectParamA"
           absent="RegCreateKeyExA RegSetValueExA WritePrivateProfileStringA GetPrivateProfileStringA" ;;
  *) echo "FAIL: unknown version $version"; exit 2 ;;
esac
for function in $present; do
  printf '%s\n' "$functions" | grep -qx "$function" || { echo "FAIL: $version does not import $function"; status=1; }
done
for function in $absent; do
  printf '%s\n' "$functions" | grep -qx "$function" && { echo "FAIL: $version imports $function"; status=1; }
done
[ $status -eq 0 ] && echo "ok: $format, version $version, imports: $(echo $imports)"
exit $status
