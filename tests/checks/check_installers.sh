#!/bin/sh
# Usage: check_installers.sh <x64.msi> <x86.msi> <x64 manifest> <x86 manifest> <app manifest> <pelrin_i.c> <version>
#                            <installer_files> <work-dir> {<signed file> <certificate.pem>}...
# The installer packages' tables and the side-by-side manifests, read without
# installing: the validation rules (installer_files check), versions and
# upgrade codes that let a newer package replace an older one, each DLL
# registered by its own component in its own view, manifests whose
# identities are the IDL's as widl compiled them; and the signature of each
# signed file, against the certificate that signed it.
set -u
msi64=$1 msi86=$2 manifest64=$3 manifest86=$4 app=$5 guids=$6 version=$7 tool=$8 work=$9
shift 9
status=0
fail() { echo "FAIL: $*"; status=1; }
table() { msiinfo export "$1" "$2" | tr -d '\r' | tail -n +4; }
has() { # <msi> <table> <tab-separated row pattern> <what>
  table "$1" "$2" | grep -q "$3" || fail "$(basename "$1"): $4"
}
tab=$(printf '\t')
# 1.0.0.5 -> 1.0.5: the installer compares three fields.
product_version=$(echo "$version" | awk -F. '{ print $1 "." $2 "." $3 * 1000 + $4 }')

rm -rf "$work" && mkdir -p "$work" || exit 2
# Signatures: each file against the certificate that signed it (the build
# tree's throwaway one, or the one the environment gave the build).
if [ -n "${PELRIN_SIGN_PKCS12:-}" ]; then
  printf '%s' "${PELRIN_SIGN_PASSWORD:-}" |
    openssl pkcs12 -in "$PELRIN_SIGN_PKCS12" -nokeys -passin stdin -out "$work/environment.pem" || exit 2
fi
while [ $# -ge 2 ]; do
  certificate=$2
  [ -z "${PELRIN_SIGN_PKCS12:-}" ] || certificate=$work/environment.pem
  osslsigncode verify -CAfile "$certificate" -in "$1" > "$work/verify.txt" 2>&1 ||
    { cat "$work/verify.txt"; fail "$1: signature not verified"; }
  grep -q '^Signature verification: ok' "$work/verify.txt" || fail "$1: no good signature"
  shift 2
done
for msi in "$msi64" "$msi86"; do
  tables=$work/$(basename "$msi")
  mkdir -p "$tables"
  for name in Component Directory File MsiFileHash Property Registry Upgrade; do
    msiinfo export "$msi" $name > "$tables/$name.idt"
  done
  msiinfo suminfo "$msi" > "$tables/suminfo.txt"
  "$tool" check "$tables" || fail "$(basename "$msi") breaks the rules above"
  has "$msi" Property "^ProductVersion$tab$product_version\$" "ProductVersion is not $product_version"
  has "$msi" Property "^ALLUSERS${tab}2\$" "not installable per machine and per user"
  # Removes older versions; detects newer ones, which the launch condition refuses.
  has "$msi" Upgrade "$tab${tab}$product_version$tab${tab}1$tab${tab}WIX_UPGRADE_DETECTED\$" "no upgrade of older versions"
  has "$msi" Upgrade "$tab$product_version$tab$tab${tab}2$tab${tab}WIX_DOWNGRADE_DETECTED\$" "no refusal of newer versions"
  has "$msi" LaunchCondition "^NOT WIX_DOWNGRADE_DETECTED$tab" "a newer version is not refused"
  has "$msi" File "^PelrinDll32$tab.*$tab$version${tab}1033$tab" "x86 PELRIN.DLL is not version $version"
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
has "$msi64" Directory "^INSTALLDIR32${tab}ProgramFilesFolder${tab}Pelrin\$" "x86 DLL not in the 32-bit program folder"
table "$msi86" Component | grep -q '^Engine64' && fail "x86 package holds the x64 DLL"
has "$msi86" LaunchCondition "^NOT VersionNT64$tab" "x86 package installs on 64-bit Windows"

# Each DLL's component registers the class and the type library for that file.
registers() { # <msi> <component> <file> <syskind>
  rows=$(table "$1" Registry | grep "$tab$2\$")
  printf '%s\n' "$rows" | grep -q "^[^$tab]*$tab-1${tab}Software\\\\Classes\\\\CLSID\\\\{EDBA7DCF-775A-11D3-B1D4-00104BC9635C}\\\\InprocServer32$tab$tab\[#$3\]$tab" ||
    fail "$(basename "$1") $2: InprocServer32 is not [#$3]"
  for locale in 409 0; do
    printf '%s\n' "$rows" | grep -q "\\\\1.0\\\\$locale\\\\$4$tab$tab\[#$3\]$tab" ||
      fail "$(basename "$1") $2: no $4 type library under locale $locale"
  done
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
