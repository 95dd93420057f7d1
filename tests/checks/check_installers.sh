#!/bin/sh
# Usage: check_installers.sh <x64.msi> <x86.msi> <x64 manifest> <x86 manifest> <app manifest> <pelrin_i.c> <version>
# The installer packages' tables and the side-by-side manifests, read without
# installing: versions and upgrade codes that let a newer package replace an
# older one, each DLL registered by its own component in its own view, and
# manifests whose identities are the IDL's as widl compiled them.
set -u
msi64=$1 msi86=$2 manifest64=$3 manifest86=$4 app=$5 guids=$6 version=$7
status=0
fail() { echo "FAIL: $*"; status=1; }
table() { msiinfo export "$1" "$2" | tr -d '\r' | tail -n +4; }
has() { # <msi> <table> <tab-separated row pattern> <what>
  table "$1" "$2" | grep -q "$3" || fail "$(basename "$1"): $4"
}
tab=$(printf '\t')

for msi in "$msi64" "$msi86"; do
  has "$msi" Property "^ProductVersion$tab$version\$" "ProductVersion is not $version"
  has "$msi" Property "^ALLUSERS${tab}2\$" "not installable per machine and per user"
  # Replaces any older package, and one of the same version (three fields count).
  has "$msi" Upgrade "$tab$version$tab${tab}513$tab${tab}WIX_UPGRADE_DETECTED\$" "no upgrade of older versions"
  has "$msi" Component "^Engine32$tab{[-0-9A-F]*}${tab}X86Dir${tab}0$tab${tab}PelrinDll32\$" "x86 DLL not in a 32-bit component"
  has "$msi" CustomAction "^PerUserFolder${tab}51${tab}INSTALLDIR$tab\[LocalAppDataFolder\]Programs" "no per-user folder"
  for action in WriteRegistryValues RemoveRegistryValues; do
    has "$msi" InstallExecuteSequence "^$action$tab" "$action not sequenced"
  done
done
# Upgrade codes never change: an installed package is found by them.
has "$msi64" Property "^UpgradeCode$tab{61E1A4AC-69BF-4D7E-AF0F-78761AE993E9}\$" "x64 upgrade code changed"
has "$msi86" Property "^UpgradeCode$tab{2F2298C7-5D7E-4087-9603-0DCC787B4DB6}\$" "x86 upgrade code changed"
has "$msi64" Component "^Engine64$tab{[-0-9A-F]*}${tab}X64Dir${tab}256$tab${tab}PelrinDll64\$" "x64 DLL not in a 64-bit component"
table "$msi86" Component | grep -q '^Engine64' && fail "x86 package holds the x64 DLL"
has "$msi86" LaunchCondition "^NOT VersionNT64$tab" "x86 package installs on 64-bit Windows"

# Each DLL's component registers the class and the type library for that file.
registers() { # <msi> <component> <file> <syskind>
  rows=$(table "$1" Registry | grep "$tab$2\$")
  printf '%s\n' "$rows" | grep -q "^[^$tab]*$tab-1${tab}Software\\\\Classes\\\\CLSID\\\\{EDBA7DCF-775A-11D3-B1D4-00104BC9635C}\\\\InprocServer32$tab$tab\[#$3\]$tab" ||
    fail "$(basename "$1") $2: InprocServer32 is not [#$3]"
  printf '%s\n' "$rows" | grep -q "\\\\1.0\\\\409\\\\$4$tab$tab\[#$3\]$tab" || fail "$(basename "$1") $2: no $4 type library"
}
registers "$msi64" Engine64 PelrinDll64 win64
registers "$msi64" Engine32 PelrinDll32 win32
registers "$msi86" Engine32 PelrinDll32 win32

# Manifests: identities from widl's GUID definitions.
guid() { # <name in pelrin_i.c>
  grep "$1," "$guids" | head -1 | tr -c '0-9a-fx\n' ' ' | awk '{
    for (i = 1; i <= NF; i++) if ($i ~ /^0x/) n[++k] = substr($i, 3)
    printf "{%08s-%04s-%04s-%s%s-%s%s%s%s%s%s}\n", n[1], n[2], n[3], n[4], n[5], n[6], n[7], n[8], n[9], n[10], n[11]
  }' | tr 'a-f ' 'A-F0'
}
clsid=$(guid CLSID_PelrinEngine) libid=$(guid LIBID_PELRINLib) iid=$(guid IID_IPelrinEngine)
describes() { # <manifest> <processor architecture>
  grep -q "<assemblyIdentity type=\"win32\" name=\"Pelrin.Engine\" version=\"$version\" processorArchitecture=\"$2\"/>" "$1" ||
    fail "$1: identity is not Pelrin.Engine $version $2"
  grep -q "<comClass clsid=\"$clsid\" progid=\"Pelrin.PelrinEngine.1\" threadingModel=\"Apartment\" tlbid=\"$libid\"" "$1" ||
    fail "$1: class is not $clsid of $libid"
  grep -q "<typelib tlbid=\"$libid\" version=\"1.0\"" "$1" || fail "$1: no type library $libid"
  grep -q "<comInterfaceExternalProxyStub name=\"IPelrinEngine\" iid=\"$iid\"" "$1" || fail "$1: no interface $iid"
}
describes "$manifest64" amd64
describes "$manifest86" x86
grep -q "<assemblyIdentity type=\"win32\" name=\"Pelrin.Engine\" version=\"$version\" processorArchitecture=\"\*\"/>" "$app" ||
  fail "$app does not depend on Pelrin.Engine $version"
exit $status
