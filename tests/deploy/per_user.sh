#!/bin/sh
# Usage: per_user.sh <wine-run> <work-dir> <x64.msi> <PELRIN.DLL x64> <PELRIN.DLL x86> <regsvr_user x64> <regsvr_user x86>
# The two per-user ways, which need no administrator rights: the x64 package
# installed for the user, and regsvr_user on the same files. Each puts the
# files in the user's program folder and the keys under
# HKCU\Software\Classes only, the same keys, and takes them away again.
# (Wine's COM reads no per-user classes, so nothing is created here; and Wine
# keeps one HKCU\Software\Classes for both bitnesses, where the x86 entries,
# written last, replace the x64 ones, by either way alike.)
set -u
wine_run=$1 work=$2 msi=$3 dll64=$4 dll32=$5 tool64=$6 tool32=$7
. "$(dirname "$0")/fresh_prefix.sh"
# ALLUSERS="" at a Windows prompt; Wine's command line would keep the quotes.
run msiexec /i "Z:$msi" ALLUSERS= /qn || fail "per-user msiexec /i exited $?"
user=$(ls "$drive_c/users" | grep -v '^Public$' | head -1)
installed="$drive_c/users/$user/AppData/Local/Programs/Pelrin"
folder="C:\\users\\$user\\AppData\\Local\\Programs\\Pelrin"
cmp -s "$dll64" "$installed/x64/PELRIN.DLL" || fail "x64\\PELRIN.DLL not in the user's program folder"
cmp -s "$dll32" "$installed/x86/PELRIN.DLL" || fail "x86\\PELRIN.DLL not in the user's program folder"
view reg HKCU\\Software\\Classes > "$work/package.txt"
grep -q "InprocServer32" "$work/package.txt" || fail "no class under HKCU\\Software\\Classes"
gone HKLM\\Software\\Classes
run msiexec /x "Z:$msi" ALLUSERS= /qn || fail "per-user msiexec /x exited $?"
[ ! -e "$installed" ] || fail "files left in the user's program folder"
gone HKCU\\Software\\Classes

mkdir -p "$installed/x64" "$installed/x86" && cp "$dll64" "$installed/x64/" && cp "$dll32" "$installed/x86/"
# (While they are registered, HKLM is not checked: Wine's RegisterTypeLib
# also writes the interface key of the other bitness's view, past the
# redirection of HKEY_CLASSES_ROOT.)
run "$tool64" /s "$folder\\x64\\PELRIN.DLL" || fail "regsvr_user x64 exited $?"
run "$tool32" /s "$folder\\x86\\PELRIN.DLL" || fail "regsvr_user x86 exited $?"
view reg HKCU\\Software\\Classes | diff -u - "$work/package.txt" || fail "the package's per-user keys differ from regsvr_user's"
run "$tool64" /u /s "$folder\\x64\\PELRIN.DLL" || fail "regsvr_user /u x64 exited $?"
run "$tool32" /u /s "$folder\\x86\\PELRIN.DLL" || fail "regsvr_user /u x86 exited $?"
gone HKCU\\Software\\Classes
gone HKLM\\Software\\Classes
exit $status
