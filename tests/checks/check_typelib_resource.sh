#!/bin/sh
# Usage: check_typelib_resource.sh <objdump> <dll> <win32|win64>
# The DLL carries its type library as resource TYPELIB 1, built for its own
# bitness: the SYSKIND in the type library's header (low nibble of the byte
# at 0x14) is 1 for 32-bit and 3 for 64-bit Windows; its locale is 1033.
set -u
objdump=$1 dll=$2 target=$3
case $target in
  win32) want_syskind=1 ;;
  win64) want_syskind=3 ;;
  *) echo "FAIL: unknown target $target"; exit 2 ;;
esac

# The leaf of type "TYPELIB", name 1, in the resource directory listing: the
# directory levels are told apart by their indentation.
leaf=$("$objdump" -p "$dll" | awk '
  /^[0-9a-f]+   Entry: / { in_type = ($0 ~ /: TYPELIB,/); in_id = 0; next }
  in_type && /^[0-9a-f]+     Entry: / { in_id = ($0 ~ /ID: 0x0*1,/); next }
  in_type && in_id && /Leaf: Addr:/ { gsub(/,/, ""); print $4, $6; exit }')
[ -n "$leaf" ] || { echo "FAIL: no TYPELIB 1 resource in $dll"; exit 1; }
set -- $leaf
rva=$(($1)) size=$(($2))

# Turn the resource's address into a file offset through the .rsrc section.
image_base=$(($("$objdump" -p "$dll" | awk '$1 == "ImageBase" { print "0x" $2; exit }')))
section=$("$objdump" -h "$dll" | awk '$2 == ".rsrc" { print "0x" $4, "0x" $6; exit }')
[ -n "$section" ] || { echo "FAIL: no .rsrc section"; exit 1; }
set -- $section
offset=$((rva + image_base - $1 + $2))

byte_at() { od -An -tu1 -j $(($offset + $1)) -N1 "$dll" | tr -d ' '; }
magic=$(od -An -c -j $offset -N4 "$dll" | tr -d ' ')
syskind=$(($(byte_at 20) & 15))
lcid=$(($(byte_at 12) + 256 * $(byte_at 13)))

status=0
[ "$magic" = "MSFT" ] || { echo "FAIL: TYPELIB 1 is not a type library (magic '$magic')"; status=1; }
[ $syskind -eq $want_syskind ] || { echo "FAIL: SYSKIND $syskind, expected $want_syskind ($target)"; status=1; }
[ $lcid -eq 1033 ] || { echo "FAIL: locale $lcid, expected 1033"; status=1; }
[ $status -eq 0 ] && echo "ok: TYPELIB 1, $size bytes, SYSKIND $syskind, locale $lcid"
exit $status
