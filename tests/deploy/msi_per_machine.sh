#!/bin/sh
# Usage: msi_per_machine.sh <wine-run> <work-dir> <package.msi> <PELRIN.DLL x64, or - > <PELRIN.DLL x86> <expected output>
# A package installed per machine over an older version of itself: one
# product, its files, the registry as regsvr32 leaves it for the programs of
# each bitness, the VBScript example answering from each script host; then
# uninstalled: no file and no key of ours left. The x64 package runs in a
# 64-bit prefix (32-bit programs from syswow64), the x86 one (no x64 DLL) in a
# 32-bit prefix.
set -u
wine_run=$1 work=$2 msi=$3 dll64=$4 dll32=$5 expected=$6
. "$(dirname "$0")/fresh_prefix.sh"
installed="$drive_c/Program Files/Pelrin"
if [ "$dll64" = - ]; then
  arches=x86 sys32=
else
  arches="x64 x86" sys32=C:\\windows\\syswow64\\
fi
# The 32-bit program of that name: syswow64's in a 64-bit prefix.
tool() { # <arch> <program>
  if [ "$1" = x86 ]; then printf '%s\n' "$sys32$2"; else printf '%s\n' "$2"; fi
}

# An older version of the package: another product of the same upgrade code.
old="$work/old.msi"
template=$(msiinfo suminfo "$msi" | sed -n 's/^Template: //p')
cp "$msi" "$old" &&
  msibuild "$old" -q "UPDATE \`Property\` SET \`Value\` = '1.0.0.1' WHERE \`Property\` = 'ProductVersion'" &&
  msibuild "$old" -q "UPDATE \`Property\` SET \`Value\` = '{3D9C4E35-0C38-4C55-9B0E-4C0E0A3E1F01}' WHERE \`Property\` = 'ProductCode'" &&
  msibuild "$old" -s Pelrin "The Pelrin developers" "$template" "{3D9C4E35-0C38-4C55-9B0E-4C0E0A3E1F02}" ||
  { echo "FAIL: cannot make the older package"; exit 1; }
for package in "$old" "$msi"; do
  run msiexec /i "Z:$package" /qn || fail "msiexec /i $(basename "$package") exited $?"
done
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
products=$(run reg query "$uninstall_key" /s | grep -c 'DisplayName.*Pelrin')
[ "$products" = 1 ] || fail "$products products installed, not one"
run reg query "$uninstall_key" /s | grep -q 'DisplayVersion.*1\.0\.0\.5' || fail "the installed product is not 1.0.0.5"

for arch in $arches; do
  dll=$dll32
  [ $arch = x64 ] && dll=$dll64
  cmp -s "$dll" "$installed/$arch/PELRIN.DLL" || fail "$arch\\PELRIN.DLL not installed"
  view "$(tool $arch reg.exe)" HKCR > "$work/package-$arch.txt"
  (cd "$installed/examples" && run "$(tool $arch cscript.exe)" //nologo match_word.vbs at) |
    diff -u "$expected" - >/dev/null || fail "$arch cscript match_word.vbs at"
done

run msiexec /x "Z:$msi" /qn || fail "msiexec /x exited $?"
[ ! -e "$installed" ] || fail "files left: $(find "$installed" | head -3)"
gone HKLM\\Software\\Classes
run reg query "$uninstall_key" /s | grep -q 'DisplayName.*Pelrin' && fail "product still listed"

# regsvr32 on the same files in the same places leaves the same registry.
for arch in $arches; do
  dll=$dll32
  [ $arch = x64 ] && dll=$dll64
  mkdir -p "$installed/$arch" && cp "$dll" "$installed/$arch/"
  run "$(tool $arch regsvr32.exe)" /s "C:\\Program Files\\Pelrin\\$arch\\PELRIN.DLL" || fail "regsvr32 $arch exited $?"
done
for arch in $arches; do
  view "$(tool $arch reg.exe)" HKCR > "$work/regsvr-$arch.txt"
  grep -q InprocServer32 "$work/regsvr-$arch.txt" || fail "regsvr32 registered nothing for $arch programs"
  diff -u "$work/regsvr-$arch.txt" "$work/package-$arch.txt" || fail "the package's registry differs from regsvr32's ($arch)"
done
exit $status
