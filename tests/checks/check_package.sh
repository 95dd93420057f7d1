#!/bin/sh
# Usage: check_package.sh <CPackConfig.cmake> <scratch-dir> <objdump>
# Builds the release ZIP and checks its contents: both DLLs of the right
# machine, both type libraries, manifests and per-user registration tools, the
# header, examples, README and licence.
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
             include/pelrin.idl examples/match_word.vbs examples/match_word.js examples/match_word.cpp \
             examples/match_word.exe.manifest README.md LICENSE.txt \
             x64/Pelrin.Engine.manifest x64/regsvr_user.exe x86/Pelrin.Engine.manifest x86/regsvr_user.exe; do
  [ -s "$root/$entry" ] || { echo "FAIL: $entry missing from $zip"; status=1; }
done
"$objdump" -f "$root/x64/PELRIN.DLL" | grep -q 'pei-x86-64$' || { echo "FAIL: x64 DLL is not x86-64"; status=1; }
"$objdump" -f "$root/x86/PELRIN.DLL" | grep -q 'pei-i386$' || { echo "FAIL: x86 DLL is not i386"; status=1; }
[ $status -eq 0 ] && echo "ok: $(basename "$zip")"
exit $status
