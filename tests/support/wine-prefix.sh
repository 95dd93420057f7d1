#!/bin/sh
# Creates the Wine prefix of a build tree once (under a lock, as tests start in
# parallel): <root>/prefix, with the user's application-data folder redirected
# to <root>/appdata so no test reads or writes a real profile.
# Expects WINEPREFIX, HOME, WINELOADER and WINEDLLOVERRIDES from wine-run.
set -eu
root=$1
ready="$WINEPREFIX/.pelrin-ready"
[ -f "$ready" ] && exit 0

mkdir -p "$root" "$root/home" "$root/appdata"
exec 9>"$root/prefix.lock"
flock 9
[ -f "$ready" ] && exit 0

"$WINELOADER" wineboot -i >/dev/null 2>&1
appdata_win="Z:$(printf '%s' "$root/appdata" | sed 's|/|\\|g')"
"$WINELOADER" reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\User Shell Folders' \
  /v AppData /t REG_EXPAND_SZ /d "$appdata_win" /f >/dev/null 2>&1
wineserver -w
touch "$ready"
