#!/bin/sh
# Usage: finish_package.sh <package.msi> <folder with Registry.idt>
# Adds to a package built by wixl what wixl cannot write: the registration
# table made by installer_files with the actions that write and remove it
# (wixl sequences only what its own source uses); a plain property-setting
# action type for the per-user folder (wixl adds a flag); and an upgrade that
# also replaces a package of the same version (the installer compares only
# three fields of a version, so 1.0.0.1 and 1.0.0.5 count as the same).
set -eu
msi=$1 tables=$2
# (msibuild takes one option a call.)
msibuild "$msi" -i "$tables/Registry.idt"
for action in "RemoveRegistryValues', 2600" "WriteRegistryValues', 5000"; do
  msibuild "$msi" -q "INSERT INTO \`InstallExecuteSequence\` (\`Action\`, \`Sequence\`) VALUES ('$action)"
done
msibuild "$msi" -q "UPDATE \`CustomAction\` SET \`Type\` = 51 WHERE \`Action\` = 'PerUserFolder'"
# Attributes is part of the Upgrade table's key, so the row is rewritten
# whole: 513 = migrate features (1) + the maximum version included (512).
msiinfo export "$msi" Upgrade |
  awk -F '\t' -v OFS='\t' -v ORS='\r\n' '{ sub(/\r$/, "") } $7 == "WIX_UPGRADE_DETECTED" { $5 = 513 } { print }' \
  > "$tables/Upgrade.idt"
grep -q '	513		WIX_UPGRADE_DETECTED' "$tables/Upgrade.idt"
msibuild "$msi" -i "$tables/Upgrade.idt"
