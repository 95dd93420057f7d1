#!/bin/sh
# Usage: reg_free.sh <wine-run> <work-dir> <app manifest> {<client.exe> <PELRIN.DLL> <Pelrin.Engine.manifest>}...
# Registration-free use, per bitness, with nothing registered: a client beside
# the DLL, its assembly manifest and the example application manifest creates
# the engine by CLSID and by ProgID and asks it, early-bound and late-bound
# through IDispatch::Invoke by name, and from threads of the multithreaded
# apartment; without the application manifest the class is not registered.
# pelrin-check beside them needs not even that manifest: it falls back by itself.
set -u
wine_run=$1 work=$2 app_manifest=$3
shift 3
. "$(dirname "$0")/fresh_prefix.sh"
while [ $# -ge 3 ]; do
  folder="$work/app$#"
  mkdir -p "$folder" && cp "$1" "$2" "$3" "$folder/" && cp "$app_manifest" "$folder/reg_free_client.exe.manifest" || exit 2
  # pelrin-check of the client's build tree (<tree>/tests/deploy/ -> <tree>/check/), which
  # needs no application manifest: it falls back to the one embedded in it.
  cp "$(dirname "$1")/../../check/pelrin-check.exe" "$folder/" || exit 2
  shift 3
  cd "$folder" || exit 2
  answer=$(run ./reg_free_client.exe)
  [ "$answer" = "$client_answers" ] ||
    fail "$folder with the manifest: $answer"
  rm reg_free_client.exe.manifest
  answer=$(run ./reg_free_client.exe)
  # REGDB_E_CLASSNOTREG; CO_E_CLASSSTRING for the ProgID.
  [ "$answer" = "$(printf 'clsid: 0x80040154 -1\nprogid: 0x800401f3 -1\ndispatch: 0x800401f3 -1\nmta: 0x80040154 -1 -1')" ] ||
    fail "$folder without the manifest: $answer"
  answer=$(printf 'In order to go\n' | run ./pelrin-check.exe)
  [ "$answer" = '<stdin>:1:1: "In order to" -> "to"' ] || fail "$folder: pelrin-check: $answer"
done
exit $status
