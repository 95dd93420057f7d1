#!/bin/sh
# Usage: msi_per_machine.sh <wine-run> <work-dir> <x64.msi> <PELRIN.DLL x64> <PELRIN.DLL x86> <expected output>
# The x64 package installed per machine over an older version of itself:
# one product, its files, the registry as regsvr32 leaves it for 64-bit and
# 32-bit programs, the VBScript example answering from both script hosts;
# then uninstalled: no file and no key of ours left.
set -u
wine_run=$1 work=$2 msi=$3 dll64=$4 dll32=$5 expected=$6
. "$(dirname "$0")/fresh_prefix.sh"
wow=C:\\windows\\syswow64
installed="$drive_c/Program Files/Pelrin"

# An older version of the package: another product of the same upgrade code.
old="$work/old.msi"
cp "$msi" "$old" &&
  msibuild "$old" -q "UPDATE \`Property\` SET \`Value\` = '1.0.0.1' WHERE \`Property\` = 'ProductVersion'" &&
  msibuild "$old" -q "UPDATE \`Property\` SET \`Value\` = '{3D9C4E35-0C38-4C55-9B0E-4C0E0A3E1F01}' WHERE \`Property\` = 'ProductCode'" &&
  msibuild "$old" -s Pelrin "The Pelrin developers" "x64;1033" "{3D9C4E35-0C38-4C55-9B0E-4C0E0A3E1F02}" ||
  { echo "FAIL: cannot make the older package"; exit 1; }
for package in "$old" "$msi"; do
  run msiexec /i "Z:$package" /qn || fail "msiexec /i $(basename "$package") exited $?"
done
products=$(run reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s | grep -c 'DisplayName.*Pelrin')
[ "$products" = 1 ] || fail "$products products installed, not one"
run reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s | grep -q 'DisplayVersion.*1\.0\.0\.5' ||
  fail "the installed product is not 1.0.0.5"

cmp -s "$dll64" "$installed/x64/PELRIN.DLL" || fail "x64\\PELRIN.DLL not installed"
cmp -s "$dll32" "$installed/x86/PELRIN.DLL" || fail "x86\\PELRIN.DLL not installed"
view reg HKCR > "$work/package64.txt"
view "$wow\\reg.exe" HKCR > "$work/package32.txt"
cd "$installed/examples" || exit 1
for host in cscript "$wow\\cscript.exe"; do
  run "$host" //nologo match_word.vbs at | diff -u "$expected" - >/dev/null || fail "$host match_word.vbs at"
done
cd "$work" || exit 1

run msiexec /x "Z:$msi" /qn || fail "msiexec /x exited $?"
[ ! -e "$installed" ] || fail "files left: $(find "$installed" | head -3)"
gone HKLM\\Software\\Classes
run reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s | grep -q 'DisplayName.*Pelrin' &&
  fail "product still listed"

# regsvr32 on the same files in the same places leaves the same registry.
mkdir -p "$installed/x64" "$installed/x86" && cp "$dll64" "$installed/x64/" && cp "$dll32" "$installed/x86/"
run regsvr32 /s 'C:\Program Files\Pelrin\x64\PELRIN.DLL' || fail "regsvr32 x64 exited $?"
run "$wow\\regsvr32.exe" /s 'C:\Program Files\Pelrin\x86\PELRIN.DLL' || fail "regsvr32 x86 exited $?"
for bits in 64 32; do
  reg=reg
  [ $bits = 32 ] && reg="$wow\\reg.exe"
  view "$reg" HKCR > "$work/regsvr$bits.txt"
  grep -q InprocServer32 "$work/regsvr$bits.txt" || fail "regsvr32 registered nothing for $bits-bit programs"
  diff -u "$work/regsvr$bits.txt" "$work/package$bits.txt" || fail "the package's registry differs from regsvr32's ($bits-bit)"
done
exit $status
