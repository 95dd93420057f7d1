#!/bin/sh
# Usage: check_no_plain_text.sh <dll> <phrase_table.txt> <version>
# The library carries the phrase table only scrambled and the trace variable's
# name only rotated: neither plain form may occur anywhere in its bytes.
# Version 1.0.0.1 has no trace level: neither the name nor a checkpoint
# message of 1.0.0.5 is in it.
set -u
dll=$1 table=$2 version=$3
status=0

found_in_dll() { LC_ALL=C grep -a -F -q -e "$1" "$dll"; }

phrases=0
while IFS= read -r line; do
  case $line in ''|'#'*|'	'*) continue ;; esac
  phrases=$((phrases + 1))
  if found_in_dll "$line"; then
    echo "FAIL: plain phrase in the DLL: $line"; status=1
  fi
done < "$table"
[ $phrases -gt 40 ] || { echo "FAIL: read only $phrases phrases from $table"; status=1; }

if found_in_dll "PELRIN_TRACE"; then
  echo "FAIL: the plain trace variable name is in the DLL"; status=1
fi
if [ "$version" = 1.0.0.1 ]; then
  for text in CRYEVA_GENPR "CPelrinEngine::" "PelrinEngineImpl::"; do
    if found_in_dll "$text"; then
      echo "FAIL: version 1.0.0.1 carries '$text' of the trace level"; status=1
    fi
  done
# The check above means something only if the rotated form is really there.
elif ! found_in_dll "CRYEVA_GENPR"; then
  echo "FAIL: the rotated trace variable name is missing from the DLL"; status=1
fi
[ $status -eq 0 ] && echo "ok: $phrases phrases and the variable name checked"
exit $status
