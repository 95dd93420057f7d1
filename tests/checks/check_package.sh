#!/bin/sh
# Usage: check_package.sh <CPackConfig.cmake> <scratch-dir> <objdump>
# Builds the release ZIP and checks its contents: both DLLs of the right
# machine, both type libraries, manifests and per-user registration tools, the
# header, examples, README and licence; and under 1.0.0.1/ the two DLLs of
# that version, with their type libraries.
set -u
config=$1 scratch=$2 objdump=$3
rm -rf "$scratch" && mkdir -p "$scratch" || exit 1
cpack --config "$config" -B "$scratch" >"$scratch/cpack.log" 2>&1 || { cat "$scratch/cpack.log"; exit 1; }
zip=$(ls "$scratch"/Pelrin-*.zip 2>/dev/null | head -n 1)
[ -n "$zip" ] || { echo "FAIL: no package"; exit 1; }
cd "$scratch" && cmake -E tar xf "$zip" || exit 1
root=$(basename "$zip" .zip)

status=0
for entry in x64/PELRIN.DLL x64/pelrin.tlb x86/PELRIN.DLL x86/pelrin.tlb include/pelrin.h include/pelrin_i.c \
             1.0.0.1/x64/PELRIN.DLL 1.0.0.1/x64/pelrin.tlb 1.0.0.1/x86/PELRIN.DLL 1.0.0.1/x86/pelrin.tlb \
             include/pelrin.idl examples/match_word.vbs examples/match_word.js examples/match_word.cpp \
             examples/match_word.exe.manifest README.md LICENSE.txt \
             x64/Pelrin.Engine.manifest x64/regsvr_user.exe x86/Pelrin.Engine.manifest x86/regsvr_user.exe; do
  [ -s "$root/$entry" ] || { echo "FAIL: $entry missing from $zip"; status=1; }
done
"$objdump" -f "$root/x64/PELRIN.DLL" | grep -q 'pei-x86-64$' || { echo "FAIL: x64 DLL is not x86-64"; status=1; }
"$objdump" -f "$root/x86/PELRIN.DLL" | grep -q 'pei-i386$' || { echo "FAIL: x86 DLL is not i386"; status=1; }
"$objdump" -f "$root/1.0.0.1/x64/PELRIN.DLL" | grep -q 'pei-x86-64$' || { echo "FAIL: 1.0.0.1 x64 DLL is not x86-64"; status=1; }
"$objdump" -f "$root/1.0.0.1/x86/PELRIN.DLL" | grep -q 'pei-i386$' || { echo "FAIL: 1.0.0.1 x86 DLL is not i386"; status=1; }
# Each folder has its own version: the 1.0.0.1 DLLs carry the phrase table as
# resources, the others do not.
for dll in x64/PELRIN.DLL x86/PELRIN.DLL 1.0.0.1/x64/PELRIN.DLL 1.0.0.1/x86/PELRIN.DLL; do
  case $dll in 1.0.0.1/*) want=yes ;; *) want=no ;; esac
  has=no
  "$objdump" -p "$root/$dll" | grep -q ']: PCOUNT,' && has=yes
  [ $has = $want ] || { echo "FAIL: $dll is not the DLL of its folder's version"; status=1; }
done
[ $status -eq 0 ] && echo "ok: $(basename "$zip")"
exit $status
