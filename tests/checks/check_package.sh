#!/bin/sh
# Usage: check_package.sh <CPackConfig.cmake> <scratch-dir> <objdump> <widl> <widl-include-dir>
#                         <wine-run> <x64.msi> <expected match_word at> <build path>...
# Builds the release ZIP and checks what a user gets: both DLLs of the right
# machine, both type libraries, manifests and per-user registration tools, the
# header, examples, README and licence; under 1.0.0.1/ the two DLLs of that
# version, with their type libraries. Then, as a user would meet them: the
# shipped IDL compiles alone into the shipped header, with eight methods; no
# file of the ZIP or of the x64 MSI holds a build path; every package path the
# README names is in the ZIP and, but for the ZIP-only 1.0.0.1 folder, in the
# MSI; the example's documented mingw-w64 command builds it, and the program
# answers registration-free under Wine; regsvr_user /? prints its usage.
set -u
config=$1 scratch=$2 objdump=$3 widl=$4 widl_include=$5 wine_run=$6 msi=$7 expected=$8
shift 8
rm -rf "$scratch" && mkdir -p "$scratch" || exit 1
cpack --config "$config" -B "$scratch" >"$scratch/cpack.log" 2>&1 || { cat "$scratch/cpack.log"; exit 1; }
zip=$(ls "$scratch"/Pelrin-*.zip 2>/dev/null | head -n 1)
[ -n "$zip" ] || { echo "FAIL: no package"; exit 1; }
cd "$scratch" && cmake -E tar xf "$zip" || exit 1
root="$scratch/$(basename "$zip" .zip)"

status=0
fail() { echo "FAIL: $*"; status=1; }
for entry in x64/PELRIN.DLL x64/pelrin.tlb x86/PELRIN.DLL x86/pelrin.tlb include/pelrin.h include/pelrin_i.c \
             1.0.0.1/x64/PELRIN.DLL 1.0.0.1/x64/pelrin.tlb 1.0.0.1/x86/PELRIN.DLL 1.0.0.1/x86/pelrin.tlb \
             include/pelrin.idl examples/match_word.vbs examples/match_word.js examples/match_word.cpp \
             examples/match_word.exe.manifest README.md LICENSE.txt \
             x64/Pelrin.Engine.manifest x64/regsvr_user.exe x86/Pelrin.Engine.manifest x86/regsvr_user.exe; do
  [ -s "$root/$entry" ] || fail "$entry missing from $zip"
done
for entry in x64/pelrin-check.exe x86/pelrin-check.exe examples/check_text.vbs examples/sample.txt; do
  [ -s "$root/$entry" ] || fail "$entry missing from $zip"
done
"$objdump" -f "$root/x64/pelrin-check.exe" | grep -q 'pei-x86-64$' || fail "x64 pelrin-check is not x86-64"
"$objdump" -f "$root/x86/pelrin-check.exe" | grep -q 'pei-i386$' || fail "x86 pelrin-check is not i386"
"$objdump" -f "$root/x64/PELRIN.DLL" | grep -q 'pei-x86-64$' || fail "x64 DLL is not x86-64"
"$objdump" -f "$root/x86/PELRIN.DLL" | grep -q 'pei-i386$' || fail "x86 DLL is not i386"
"$objdump" -f "$root/1.0.0.1/x64/PELRIN.DLL" | grep -q 'pei-x86-64$' || fail "1.0.0.1 x64 DLL is not x86-64"
"$objdump" -f "$root/1.0.0.1/x86/PELRIN.DLL" | grep -q 'pei-i386$' || fail "1.0.0.1 x86 DLL is not i386"
# Each folder has its own version: the 1.0.0.1 DLLs carry the phrase table as
# resources, the others do not.
for dll in x64/PELRIN.DLL x86/PELRIN.DLL 1.0.0.1/x64/PELRIN.DLL 1.0.0.1/x86/PELRIN.DLL; do
  case $dll in 1.0.0.1/*) want=yes ;; *) want=no ;; esac
  has=no
  "$objdump" -p "$root/$dll" | grep -q ']: PCOUNT,' && has=yes
  [ $has = $want ] || fail "$dll is not the DLL of its folder's version"
done

# The IDL alone, with no definitions, gives the shipped header and the eight
# methods in their slots.
mkdir "$scratch/idl" && cp "$root/include/pelrin.idl" "$scratch/idl/" || exit 1
(cd "$scratch/idl" && "$widl" -I"$widl_include" -h -H pelrin.h pelrin.idl) || fail "widl cannot compile include/pelrin.idl"
cmp -s "$scratch/idl/pelrin.h" "$root/include/pelrin.h" || fail "include/pelrin.h is not what include/pelrin.idl compiles to"
methods=$(sed -n 's/^ *virtual HRESULT STDMETHODCALLTYPE \([A-Za-z]*\)($/\1/p' "$scratch/idl/pelrin.h" | tr '\n' ' ')
[ "$methods" = "LookupAlternatePhrases MatchWord GetIgnoredPhrases AddIgnoredPhrase RemoveIgnoredPhrase \
ClearIgnoredPhrases SaveIgnoredPhrases LoadIgnoredPhrases " ] || fail "include/pelrin.idl gives the methods: $methods"

# The x64 MSI's files, as it installs them.
mkdir "$scratch/msi" && (cd "$scratch/msi" && msiextract "$msi" >/dev/null) || fail "cannot extract $msi"
msi_root=$(dirname "$(find "$scratch/msi" -name README.md | head -n 1)")
# The 32-bit DLL goes to the 32-bit program folder, a tree of its own.
msi_x86_root=$(dirname "$(dirname "$(find "$scratch/msi" -path '*/x86/PELRIN.DLL' | head -n 1)")")

for path in "$@"; do
  found=$(grep -rlF "$path" "$root" "$scratch/msi" "$msi")
  [ -z "$found" ] || fail "the build path $path is in: $found"
done

# Package paths the README names, as "x64\PELRIN.DLL", "examples\" or
# "include/pelrin.h": a name whose first folder is one of the package's. A
# command may leave off ".exe".
grep -o '[A-Za-z0-9_.-]*[\\/][A-Za-z0-9_.\\/-]*' "$root/README.md" | sed 's/\.*$//' | sort -u | while read -r name; do
  path=$(printf '%s' "$name" | tr '\\' /)
  first=${path%%/*}
  case $first in ''|.*) continue ;; esac
  [ -d "$root/$first" ] || continue
  for tree in "$root" "$msi_root"; do
    [ "$tree" = "$msi_root" ] && [ "$first" = 1.0.0.1 ] && continue
    [ "$tree" = "$msi_root" ] && [ "$first" = x86 ] && tree=$msi_x86_root
    [ -e "$tree/$path" ] || [ -e "$tree/$path.exe" ] ||
      printf 'FAIL: the README names %s, which is not in %s\n' "$name" "$(basename "$tree")"
  done
done | grep . && status=1
cmp -s "$root/README.md" "$msi_root/README.md" || fail "the MSI's README.md is not the ZIP's"

# The example, built in the package's examples folder with the command its
# comment gives, runs beside the x64 DLL and manifests with nothing registered.
examples="$root/examples"
command=$(sed -n 's|^//   \(x86_64-w64-mingw32-g++ .*\)$|\1|p' "$examples/match_word.cpp")
if [ -z "$command" ]; then
  fail "examples/match_word.cpp gives no x86_64-w64-mingw32-g++ command"
elif ! (cd "$examples" && sh -c "$command") >"$scratch/example-build.log" 2>&1; then
  cat "$scratch/example-build.log"
  fail "the documented command does not build examples/match_word.cpp: $command"
else
  cp "$root/x64/PELRIN.DLL" "$root/x64/Pelrin.Engine.manifest" "$examples/" || exit 1
  answer=$(cd "$examples" && "$wine_run" ./match_word.exe at)
  code=$?
  printf '%s\n' "$answer" | tr -d '\r' | diff -u "$expected" - >/dev/null || fail "match_word.exe at (exit $code): $answer"
fi

usage=$("$wine_run" "$root/x64/regsvr_user.exe" '/?')
code=$?
case "$usage" in "usage: regsvr_user [/u] [/s] "*) [ $code = 0 ] ;; *) false ;; esac ||
  fail "regsvr_user /? exited $code with: $usage"

[ $status -eq 0 ] && echo "ok: $(basename "$zip")"
exit $status
