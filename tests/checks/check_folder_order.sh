#!/bin/sh
# Each product folder includes only from itself and from the folders below it:
#   check_folder_order.sh SOURCE_DIR
# Lowest first; folders on one line stand side by side and include neither:
# the installer tools need the registry script interpreter, not the server.
set -u
cd "$1" || exit 1
order='base
diag
engine
ignored
server/registry
server deploy
check'
# The rank of a file's folder: its line in the order (server/registry before server).
rank() {
  echo "$order" | awk -v path="$1" '{ for (i = 1; i <= NF; i++) if (index(path, $i "/") == 1) { print NR; exit } }'
}
status=0
for file in $(find base diag engine ignored server check deploy -type f \( -name "*.c" -o -name "*.cpp" -o -name "*.h" -o -name "*.rc" \) | sort); do
  own=$(rank "$file")
  for included in $(sed -n 's/^#include "\([a-z_]*\/[^"]*\)".*/\1/p' "$file"); do
    theirs=$(rank "$included")
    [ -n "$theirs" ] || continue
    if [ "$theirs" -gt "$own" ] ||
       { [ "$theirs" -eq "$own" ] && [ "${included%%/*}" != "${file%%/*}" ]; }; then
      echo "$file includes $included, from a folder above or beside it"
      status=1
    fi
  done
done
exit $status
