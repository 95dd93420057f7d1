#!/bin/sh
# Usage: per_user.sh <wine-run> <work-dir> <x64.msi> <PELRIN.DLL x64> <PELRIN.DLL x86> <regsvr_user x64> <regsvr_user x86>
# The two per-user ways, which need no administrator rights: the x64 package
# installed for the user, and regsvr_user on the same files. Each puts the
# files in the user's program folder and the keys under
# HKCU\Software\Classes only, the same keys, writes nothing of ours to HKLM,
# and takes them away again; regsvr_user /u fails when the type library's
# registration cannot be removed.
# (Wine's COM reads no per-user classes, so nothing is created here. Wine
# keeps one HKCU\Software\Classes for both bitnesses, where the x86 entries,
# written last, replace the x64 ones, by either way alike; only the type
# library's help folder, which the package writes once, from the x64 side,
# differs. Wine's installer resets ALLUSERS=2 to 1 whatever MSIINSTALLPERUSER
# says, so the per-user context is asked for with ALLUSERS="", which Windows
# Installer 5.0 honours as well.)
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
# The help folder's key and value are left out (see above).
view reg HKCU\\Software\\Classes | sed '/\\HELPDIR$/{N;d}' > "$work/package.txt"
grep -q "InprocServer32" "$work/package.txt" || fail "no class under HKCU\\Software\\Classes"
gone HKLM\\Software\\Classes
# Nothing of ours in HKLM but the installer's own record of what the user has
# (Wine keeps a per-user product's uninstall entry there too, where Windows
# uses HKCU).
run reg export HKLM "Z:$work/hklm.reg" /y >/dev/null || fail "cannot export HKLM"
iconv -f UTF-16LE -t UTF-8 "$work/hklm.reg" | tr -d '\r' |
  awk '/^\[/ { key = $0 } /[Pp]elrin/ && key !~ /\\(Installer\\(UserData|Products|Components|Features|UpgradeCodes)|Uninstall)\\/ { print key ": " $0 }' > "$work/hklm-ours.txt"
[ ! -s "$work/hklm-ours.txt" ] || fail "per-user install wrote to HKLM: $(head -3 "$work/hklm-ours.txt")"
[ ! -e "$drive_c/Program Files/Pelrin" ] && [ ! -e "$drive_c/Program Files (x86)/Pelrin" ] ||
  fail "per-user install wrote to the machine's program folders"
run msiexec /x "Z:$msi" ALLUSERS= /qn || fail "per-user msiexec /x exited $?"
[ ! -e "$installed" ] || fail "files left in the user's program folder"
gone HKCU\\Software\\Classes

mkdir -p "$installed/x64" "$installed/x86" && cp "$dll64" "$installed/x64/" && cp "$dll32" "$installed/x86/"
# (While they are registered, HKLM is not checked: Wine's RegisterTypeLib
# also writes the interface key of the other bitness's view, past the
# redirection of HKEY_CLASSES_ROOT.)
run "$tool64" /s "$folder\\x64\\PELRIN.DLL" || fail "regsvr_user x64 exited $?"
run "$tool32" /s "$folder\\x86\\PELRIN.DLL" || fail "regsvr_user x86 exited $?"
view reg HKCU\\Software\\Classes | sed '/\\HELPDIR$/{N;d}' | diff -u - "$work/package.txt" ||
  fail "the package's per-user keys differ from regsvr_user's"
# A type library registered for a file that is gone cannot be unregistered:
# an error, with a message, as regsvr32 reports it.
run reg add "HKCU\\Software\\Classes\\TypeLib\\{EDBA7DC1-775A-11D3-B1D4-00104BC9635C}\\1.0\\409\\win64" /ve \
  /d "C:\\nowhere\\PELRIN.DLL" /f >/dev/null || exit 2
"$wine_run" "$tool64" /u "$folder\\x64\\PELRIN.DLL" >/dev/null 2>"$work/unregister.txt"
[ $? = 5 ] || fail "regsvr_user /u with the type library's file gone did not exit 5"
grep -q "Cannot unregister the type library" "$work/unregister.txt" || fail "regsvr_user /u gave no message: $(cat "$work/unregister.txt")"
run "$tool64" /s "$folder\\x64\\PELRIN.DLL" || fail "regsvr_user x64 again exited $?"
run "$tool64" /u /s "$folder\\x64\\PELRIN.DLL" || fail "regsvr_user /u x64 exited $?"
run "$tool32" /u /s "$folder\\x86\\PELRIN.DLL" || fail "regsvr_user /u x86 exited $?"
gone HKCU\\Software\\Classes
gone HKLM\\Software\\Classes
exit $status
