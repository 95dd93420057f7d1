#!/bin/sh
# Usage: msi_per_machine.sh <wine-run> <work-dir> <package.msi> <PELRIN.DLL x64, or - > <PELRIN.DLL x86> <expected output>
#        <client x64, or - > <client x86>
# A package installed per machine: it replaces an older PELRIN.DLL it finds
# at the target; it upgrades an older version of itself, whose product
# version is older in the three fields the installer compares, to one
# product; that older package then refuses to go back over it and leaves it
# whole. Its files, the registry as regsvr32 leaves it for the programs of
# each bitness, the VBScript example answering from each script host and the
# client (tests/deploy/reg_free_client.cpp) from threads of either apartment
# (the signed DLLs registered and answering); then uninstalled: no file and no key
# of ours left. The x64 package runs in a 64-bit prefix (32-bit programs from
# syswow64, the 32-bit DLL in Program Files (x86)), the x86 one (no x64 DLL)
# in a 32-bit prefix.
set -u
wine_run=$1 work=$2 msi=$3 dll64=$4 dll32=$5 expected=$6 client64=$7 client32=$8
. "$(dirname "$0")/fresh_prefix.sh"
programs="$drive_c/Program Files"
if [ "$dll64" = - ]; then
  arches=x86 sys32= programs32=$programs
else
  arches="x64 x86" sys32=C:\\windows\\syswow64\\ programs32="$drive_c/Program Files (x86)"
fi
# The 32-bit program of that name: syswow64's in a 64-bit prefix.
tool() { # <arch> <program>
  if [ "$1" = x86 ]; then printf '%s\n' "$sys32$2"; else printf '%s\n' "$2"; fi
}
folder() { # <arch>: where the package puts that DLL
  if [ "$1" = x86 ]; then printf '%s\n' "$programs32/Pelrin/x86"; else printf '%s\n' "$programs/Pelrin/x64"; fi
}
dll() { # <arch>
  if [ "$1" = x86 ]; then printf '%s\n' "$dll32"; else printf '%s\n' "$dll64"; fi
}
table() { msiinfo export "$1" "$2" | tr -d '\r'; }

# The release before, as the installer sees it: product version 1.0.1, its
# own product and package codes, its upgrade rows about itself.
version=$(table "$msi" Property | sed -n 's/^ProductVersion\t//p')
old="$work/old.msi"
cp "$msi" "$old" &&
  msibuild "$old" -q "UPDATE \`Property\` SET \`Value\` = '1.0.1' WHERE \`Property\` = 'ProductVersion'" &&
  msibuild "$old" -q "UPDATE \`Property\` SET \`Value\` = '{3D9C4E35-0C38-4C55-9B0E-4C0E0A3E1F01}' WHERE \`Property\` = 'ProductCode'" &&
  table "$msi" Upgrade | sed "s/\t$version\t/\t1.0.1\t/" > "$work/Upgrade.idt" && msibuild "$old" -i "$work/Upgrade.idt" &&
  msibuild "$old" -s "$(msiinfo suminfo "$msi" | sed -n 's/^Subject: //p')" "The Pelrin developers" \
    "$(msiinfo suminfo "$msi" | sed -n 's/^Template: //p')" "{3D9C4E35-0C38-4C55-9B0E-4C0E0A3E1F02}" ||
  { echo "FAIL: cannot make the older package"; exit 1; }

# A PELRIN.DLL of an older file version already at the target, as a manual
# regsvr32 setup in the same folder leaves one.
for arch in $arches; do
  stale="$(folder $arch)/PELRIN.DLL"
  mkdir -p "$(dirname "$stale")" && cp "$(dll $arch)" "$stale" || exit 2
  at=$(LC_ALL=C grep -obUaP '\xbd\x04\xef\xfe' "$stale" | head -1 | cut -d: -f1)
  # The fixed file information's revision field: 5 -> 1.
  printf '\001' | dd of="$stale" bs=1 seek=$((at + 12)) conv=notrunc 2>/dev/null
  cmp -s "$(dll $arch)" "$stale" && fail "no older DLL made for $arch"
done
run msiexec /i "Z:$old" /qn || fail "msiexec /i old.msi exited $?"
for arch in $arches; do
  cmp -s "$(dll $arch)" "$(folder $arch)/PELRIN.DLL" || fail "the older $arch\\PELRIN.DLL at the target was kept"
done

uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
installed_products() { run reg query "$uninstall_key" /s | grep 'DisplayVersion\|DisplayName.*Pelrin'; }
run msiexec /i "Z:$msi" /qn || fail "msiexec /i $(basename "$msi") over the older one exited $?"
installed_products > "$work/upgraded.txt"
[ "$(grep -c Pelrin "$work/upgraded.txt")" = 1 ] || fail "not one product after the upgrade: $(cat "$work/upgraded.txt")"
grep -q "DisplayVersion.*$version" "$work/upgraded.txt" || fail "the installed product is not $version"
for arch in $arches; do
  client=$client32
  [ $arch = x64 ] && client=$client64
  answer=$(run "$client")
  [ "$answer" = "$client_answers" ] ||
    fail "$arch client: $answer"
  view "$(tool $arch reg.exe)" HKCR > "$work/package-$arch.txt"
done

# The older package over the newer one: refused, and the newer one left whole.
# (1603, fatal error; Wine's process status keeps its low byte, 67.)
run msiexec /i "Z:$old" /qn
case $? in 1603 | 67) ;; *) fail "the older package over the newer one did not fail with 1603" ;; esac
installed_products | diff -u "$work/upgraded.txt" - || fail "the refused older package changed the products"
for arch in $arches; do
  cmp -s "$(dll $arch)" "$(folder $arch)/PELRIN.DLL" || fail "$arch\\PELRIN.DLL changed by the refused package"
  view "$(tool $arch reg.exe)" HKCR | diff -u "$work/package-$arch.txt" - || fail "the refused package changed the registry"
  (cd "$programs/Pelrin/examples" && run "$(tool $arch cscript.exe)" //nologo match_word.vbs at) |
    diff -u "$expected" - || fail "$arch cscript match_word.vbs at"
  (cd "$programs/Pelrin/examples" && run "$(folder $arch)/pelrin-check.exe" sample.txt) |
    grep -qx 'sample.txt:3:1: "In order to" -> "to"' || fail "$arch pelrin-check.exe sample.txt"
done

run msiexec /x "Z:$msi" /qn || fail "msiexec /x exited $?"
# (The folders made for the older DLL before the install may stay.)
left=$(find "$programs/Pelrin" "$programs32/Pelrin" -type f 2>/dev/null | head -3)
[ -z "$left" ] || fail "files left: $left"
gone HKLM\\Software\\Classes
run reg query "$uninstall_key" /s | grep -q 'DisplayName.*Pelrin' && fail "product still listed"

# regsvr32 on the same files in the same places leaves the same registry
# (the 64-bit DLL registered last: its help folder is the one both views share).
for arch in x86 x64; do
  case " $arches " in *" $arch "*) ;; *) continue ;; esac
  mkdir -p "$(folder $arch)" && cp "$(dll $arch)" "$(folder $arch)/" || exit 2
  windows_folder=$(folder $arch | sed "s|^$drive_c|C:|; s|/|\\\\|g")
  run "$(tool $arch regsvr32.exe)" /s "$windows_folder\\PELRIN.DLL" || fail "regsvr32 $arch exited $?"
done
for arch in $arches; do
  view "$(tool $arch reg.exe)" HKCR > "$work/regsvr-$arch.txt"
  grep -q InprocServer32 "$work/regsvr-$arch.txt" || fail "regsvr32 registered nothing for $arch programs"
  diff -u "$work/regsvr-$arch.txt" "$work/package-$arch.txt" || fail "the package's registry differs from regsvr32's ($arch)"
done
exit $status
