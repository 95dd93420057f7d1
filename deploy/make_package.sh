#!/bin/sh
# Usage: make_package.sh <installer_files> <script.rgs> <x.idl> <pelrin.wxs> <x64|x86> <upgrade-code>
#                        <PELRIN.DLL> <stage> <out.msi> <component>:<file-id>:<directory>:<win32|win64>...
# Builds one installer package from <stage>, a folder laid out as the
# installed one, and checks it. Expects SOURCE_DATE_EPOCH, and the fixed
# clock preloaded (cmake/fixed_clock.c) so that wixl and msibuild stamp that
# date, and PELRIN_SIGN_SCRIPT (cmake/sign.sh) and PELRIN_SIGNING_DIR.
#  - The registration table, made by installer_files from the registry script
#    and the IDL, with the actions that write and remove it (wixl sequences
#    only what its own source uses).
#  - The product version made from the DLL's file version; the product code
#    made from the upgrade code and that version, the package code from the
#    package's own bytes: the same commit gives the same package.
#  - The File table's versions and languages, read from the files' version
#    blocks (wixl leaves them empty), and no hashes for those files.
#  - A plain property-setting action type for the per-user folders (wixl
#    adds a flag).
#  - installer_files check over the finished tables; then the signature.
set -eu
tool=$1 rgs=$2 idl=$3 wxs=$4 arch=$5 upgrade_code=$6 dll=$7 stage=$8 msi=$9
shift 9
part=$msi.part
work=$stage.work
rm -rf "$part" "$work" && mkdir -p "$work/tables"

# A name-based GUID: the SHA-256 of the name, marked as version 5.
guid() {
  printf '%s' "$1" | sha256sum |
    sed 's/^\(........\)\(....\).\(...\).\(...\)\(............\).*/\1-\2-5\3-8\4-\5/' | tr a-f A-F
}

"$tool" tables "$rgs" "$idl" "$stage" "$@"
version=$("$tool" version "$dll")
cat > "$stage/version.wxi" <<END
<?xml version="1.0" encoding="utf-8"?>
<Include>
  <?define UpgradeCode = "$upgrade_code"?>
  <?define ProductVersion = "$version"?>
  <?define ProductCode = "$(guid "Pelrin $upgrade_code $version")"?>
</Include>
END
# The cabinet keeps each file's modification time.
find "$stage" -type f -exec touch -d "@$SOURCE_DATE_EPOCH" {} +
(cd "$stage" && wixl -a "$arch" -I "$stage" -D Arch="$arch" -o "$part" "$wxs")

# (msibuild takes one option a call.)
msibuild "$part" -i "$stage/Registry.idt"
for action in "RemoveRegistryValues', 2600" "WriteRegistryValues', 5000"; do
  msibuild "$part" -q "INSERT INTO \`InstallExecuteSequence\` (\`Action\`, \`Sequence\`) VALUES ('$action)"
done
msibuild "$part" -q "UPDATE \`CustomAction\` SET \`Type\` = 51 WHERE \`Action\` = 'PerUserFolder' OR \`Action\` = 'PerUserFolder32'"

msiextract -C "$work/files" "$part" > "$work/files.txt"
for table in File MsiFileHash; do msiinfo export "$part" $table > "$work/tables/$table.idt"; done
"$tool" file-versions "$work/tables" "$work/files.txt" "$work/files"
for table in File MsiFileHash; do msibuild "$part" -i "$work/tables/$table.idt"; done

# The package's content: every table and the cabinet, not the summary, where
# wixl left a package code of its own choosing, random on every build.
content() {
  for table in $(msiinfo tables "$part" | LC_ALL=C sort); do
    [ "$table" = _SummaryInformation ] || msiinfo export "$part" "$table"
  done
  msiinfo extract "$part" pelrin.cab
}
summary() { msiinfo suminfo "$part" | sed -n "s/^$1: //p"; }
msibuild "$part" -s "$(summary Subject)" "$(summary Author)" "$(summary Template)" "{$(guid "$(content | sha256sum)")}"

for table in Component Directory File MsiFileHash Property Registry Upgrade; do
  msiinfo export "$part" $table > "$work/tables/$table.idt"
done
msiinfo suminfo "$part" > "$work/tables/suminfo.txt"
"$tool" check "$work/tables" || { echo "$(basename "$msi") breaks the rules above" >&2; exit 1; }
sh "$PELRIN_SIGN_SCRIPT" "$part" "$PELRIN_SIGNING_DIR"
mv "$part" "$msi"
