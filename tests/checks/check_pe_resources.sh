#!/bin/sh
# Usage: check_pe_resources.sh <objdump> <dll> <pelrin.rgs> <version> <phrase_table.txt>
# The DLL carries its registry script as REGISTRY 101, byte for byte as the
# source file holds it (which must be CR LF throughout, the last line too, with
# no zero byte); string 100 "Pelrin"; and the version block of its version
# (1.0.0.5: file 1.0.0.5, product 1.0.0.1; 1.0.0.1: file and product 1.0.0.1,
# the debug flag and an empty "OLESelfRegister") with the product's strings.
# Version 1.0.0.1 also carries the phrase table as RCDATA "PCOUNT" and
# "P1".."Pn", language 1033, each group scrambled; 1.0.0.5 no RCDATA at all.
# (TYPELIB 1 has a check of its own.)
set -u
objdump=$1 dll=$2 rgs=$3 dll_version=$4 table=$5
status=0
fail() { echo "FAIL: $*"; status=1; }
work=$(mktemp -d) || exit 2
trap 'rm -rf "$work"' EXIT

dump=$("$objdump" -p "$dll")
image_base=$(($(printf '%s\n' "$dump" | awk '$1 == "ImageBase" { print "0x" $2; exit }')))
section=$("$objdump" -h "$dll" | awk '$2 == ".rsrc" { print "0x" $4, "0x" $6; exit }')
[ -n "$section" ] || { echo "FAIL: no .rsrc section"; exit 1; }
set -- $section
rsrc_vma=$(($1)) rsrc_offset=$(($2))

# Copies resource <type> <id> into a file; the type is a name ("REGISTRY") or
# a number; the id is given in hex as objdump prints it, or is a name ("P1").
extract() {
  out=$3
  case $1 in
    [0-9]*) type_pattern=$(printf 'Entry: ID: 0x0*%x,' "$1") ;;
    *) type_pattern=": $1," ;;
  esac
  case $2 in
    [A-Z]*) id_pattern="]: $2," ;;
    *) id_pattern="ID: 0x0*$2," ;;
  esac
  leaf=$(printf '%s\n' "$dump" | awk -v type="$type_pattern" -v id="$id_pattern" '
    /^[0-9a-f]+   Entry: / { in_type = index($0, type) > 0 || $0 ~ type; in_id = 0; next }
    in_type && /^[0-9a-f]+     Entry: / { in_id = index($0, id) > 0 || $0 ~ id; next }
    in_type && in_id && /Leaf: Addr:/ { gsub(/,/, ""); print $4, $6; exit }')
  [ -n "$leaf" ] || return 1
  set -- $leaf
  tail -c +$(($1 + image_base - rsrc_vma + rsrc_offset + 1)) "$dll" | head -c $(($2)) > "$out"
}

# One 16-bit unit per line.
units() { od -An -v -tu2 "$1" | tr -s ' ' '\n' | sed '/^$/d'; }

# --- REGISTRY 101 ---
cr=$(printf '\r')
lines=$(wc -l < "$rgs")
[ "$lines" -gt 0 ] || fail "$rgs is empty"
[ "$(grep -c "$cr\$" "$rgs")" -eq "$lines" ] || fail "$rgs has lines not ended by CR LF"
[ "$(tr -cd '\r' < "$rgs" | wc -c)" -eq "$lines" ] || fail "$rgs has a CR that ends no line"
[ "$(tail -c 2 "$rgs" | od -An -tx1 | tr -d ' ')" = "0d0a" ] || fail "$rgs: last line not ended by CR LF"
[ "$(tr -cd '\000' < "$rgs" | wc -c)" -eq 0 ] || fail "$rgs holds a zero byte"
if grep -q '^ ' "$rgs"; then fail "$rgs is indented with spaces, not tabs"; fi
if extract REGISTRY 65 "$work/registry"; then
  cmp -s "$work/registry" "$rgs" || fail "REGISTRY 101 differs from $rgs ($(wc -c < "$work/registry") bytes)"
else
  fail "no REGISTRY 101 resource"
fi

# --- string 100: block 7 (strings 96..111), entry 4; each entry is a length
# and that many UTF-16 units ---
if extract 6 7 "$work/strings"; then
  string100=$(units "$work/strings" | awk '
    BEGIN { entry = 0; left = -1 }
    left < 0 { left = $1; text = ""; if (left == 0) { if (entry == 4) { print text; exit } entry++; left = -1 } next }
    { text = text ($1 < 128 ? sprintf("%c", $1) : "?"); left--
      if (left == 0) { if (entry == 4) { print text; exit } entry++; left = -1 } }')
  [ "$string100" = "Pelrin" ] || fail "string 100 is '$string100', expected 'Pelrin'"
else
  fail "no string table block holding string 100"
fi

# --- VERSIONINFO 1: walk the block tree, printing path=value for each text
# value, the fixed part and the translation ---
if extract 16 1 "$work/version"; then
  units "$work/version" > "$work/units"
  version=$(awk '
    { w[NR - 1] = $1 + 0 }
    function align(o) { return o + (4 - o % 4) % 4 }
    function text(u, n,   s) { s = ""; while ((n < 0 || n-- > 0) && w[u] != 0) { s = s (w[u] < 128 ? sprintf("%c", w[u]) : "?"); u++ } return s }
    function dword(u) { return w[u] + 65536 * w[u + 1] }
    function node(off, path,   len, vlen, type, key, value, child, f) {
      len = w[off / 2]; vlen = w[off / 2 + 1]; type = w[off / 2 + 2]
      key = text(off / 2 + 3, -1); path = path "/" key
      value = align(off + 6 + 2 * (length(key) + 1))
      if (type == 1) {
        print path "=" text(value / 2, vlen); child = align(value + 2 * vlen)
      } else {
        if (key == "VS_VERSION_INFO" && vlen == 52) {
          f = value / 2
          printf "signature=%x\n", dword(f)
          printf "FileVersion=%d.%d.%d.%d\n", w[f + 5], w[f + 4], w[f + 7], w[f + 6]
          printf "ProductVersion=%d.%d.%d.%d\n", w[f + 9], w[f + 8], w[f + 11], w[f + 10]
          printf "FileFlags=%x\nFileOS=%x\nFileType=%x\n", dword(f + 14), dword(f + 16), dword(f + 18)
        } else if (vlen == 4) {
          printf "%s=%04x %04x\n", path, w[value / 2], w[value / 2 + 1]
        }
        child = align(value + vlen)
      }
      while (child < off + len) child = align(node(child, path))
      return off + len
    }
    END { node(0, "") }' "$work/units")
  before=$status
  S=/VS_VERSION_INFO/StringFileInfo/040904B0
  case $dll_version in
    1.0.0.5) own="FileVersion=1.0.0.5
FileFlags=0
$S/FileVersion=1, 0, 0, 5" ;;
    1.0.0.1) own="FileVersion=1.0.0.1
FileFlags=1
$S/FileVersion=1, 0, 0, 1
$S/OLESelfRegister=" ;;
    *) fail "unknown version $dll_version"; own= ;;
  esac
  while IFS= read -r want; do
    printf '%s\n' "$version" | grep -qxF -e "$want" || fail "version block lacks $want"
  done <<WANTED
$own
signature=feef04bd
ProductVersion=1.0.0.1
FileOS=4
FileType=2
$S/ProductVersion=1, 0, 0, 1
$S/InternalName=PELRIN
$S/OriginalFilename=PELRIN.DLL
$S/ProductName=Pelrin
/VS_VERSION_INFO/VarFileInfo/Translation=0409 04b0
WANTED
  if [ "$dll_version" = 1.0.0.5 ] && printf '%s\n' "$version" | grep -q "OLESelfRegister"; then
    fail "version 1.0.0.5 carries OLESelfRegister"
  fi
  for key in CompanyName FileDescription LegalCopyright; do
    printf '%s\n' "$version" | grep -q "^$S/$key=..*" || fail "version block lacks a $key"
  done
  [ $status -eq $before ] || { echo "version block as read:"; printf '%s\n' "$version"; }
else
  fail "no VERSIONINFO 1 resource"
fi

# --- RCDATA: the phrase table's resource form (1.0.0.1 only) ---
# Each named RCDATA resource with the language of its one entry.
rcdata=$(printf '%s\n' "$dump" | awk '
  /^[0-9a-f]+   Entry: / { in_type = ($0 ~ /Entry: ID: 0x0*a,/); next }
  in_type && /^[0-9a-f]+     Entry: / { sub(/.*\]: /, ""); sub(/,.*/, ""); name = $0; next }
  in_type && /^[0-9a-f]+       Entry: ID: / { print name, $4 }' | tr -d ,)
if [ "$dll_version" = 1.0.0.1 ]; then
  groups=$(grep -c -v -e '^#' -e '^	' -e '^$' "$table")
  expected=$( (echo PCOUNT; seq 1 "$groups" | sed 's/^/P/') | sort)
  [ "$(printf '%s\n' "$rcdata" | awk '{ print $1 }' | sort)" = "$expected" ] ||
    fail "RCDATA names are not PCOUNT and P1..P$groups: $(printf '%s\n' "$rcdata" | awk '{ print $1 }' | tr '\n' ' ')"
  printf '%s\n' "$rcdata" | awk '$2 != "0x000409" { bad = 1 } END { exit bad }' || fail "RCDATA not all in language 1033"
  { extract 10 PCOUNT "$work/pcount" && [ "$(wc -c < "$work/pcount")" -eq 4 ] &&
    [ "$(od -An -tu4 "$work/pcount" | tr -d ' ')" = "$groups" ]; } || fail "PCOUNT is not the 4-byte count $groups"
  # Each group (want.<k>): its strings, each with its zero byte; stored with
  # every byte but the zeros complemented.
  perl -ne 'BEGIN { $k = 0 } next if /^#/ || /^$/; chomp;
            if (s/^\t//) { print W "$_\0" } else { open W, ">", "'"$work"'/want." . ++$k or die; print W "$_\0" }' "$table"
  k=1
  while [ -f "$work/want.$k" ]; do
    if extract 10 "P$k" "$work/p"; then
      perl -0777 -pe '$_ = join "", map { ord ? chr(255 - ord) : "\0" } split //' "$work/p" > "$work/plain"
      cmp -s "$work/plain" "$work/want.$k" || fail "RCDATA P$k is not group $k of $table scrambled"
    else
      fail "no RCDATA P$k"
    fi
    k=$((k + 1))
  done
  [ $((k - 1)) -eq "$groups" ] || fail "read $((k - 1)) groups of $groups from $table"
elif [ -n "$rcdata" ]; then
  fail "version $dll_version carries RCDATA: $rcdata"
fi

[ $status -eq 0 ] && echo "ok: REGISTRY 101 ($lines lines, CR LF), string 100, version block of $dll_version${rcdata:+, $(printf '%s\n' "$rcdata" | wc -l) RCDATA}"
exit $status
