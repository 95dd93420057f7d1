#!/usr/bin/env bash
# The main job: builds both DLLs, registers each with regsvr32 in its build
# tree's private Wine prefix (64-bit for the x64 DLL, 32-bit for the x86 one),
# and runs the VBScript example client through each prefix's script host: the
# phrases that begin with a word (default "at") and each phrase's alternates,
# after a line telling which bitness answered. Then pelrin-check of the same
# bitness checks examples/sample.txt. 32-bit Wine runs under CPU emulation on
# these machines, so the 32-bit half starts more slowly.
#   scripts/demo.sh [--1.0.0.1] [word]
# With --1.0.0.1 it builds and asks the two DLLs of version 1.0.0.1 instead
# (pelrin-check is built for the current version only).
set -euo pipefail
cd "$(dirname "$0")/.."
suffix=
if [ "${1:-}" = "--1.0.0.1" ]; then
  suffix=-1001
  shift
fi
scripts/setup.sh demo
# The DLLs and the emulator's mend the runner preloads, and pelrin-check; no
# test programs.
check_target=(--target pelrin_check)
[ -z "$suffix" ] || check_target=()
scripts/build.sh -DPELRIN_BUILD_TESTS=OFF --target pelrin_dll --target pelrin_emulator_preload \
  "${check_target[@]}" "win64$suffix" "win32$suffix"
echo "PELRIN.DLL: build/win64$suffix/server/PELRIN.DLL (x64), build/win32$suffix/server/PELRIN.DLL (x86)"
for tree in "win64$suffix" "win32$suffix"; do
  wine_run="$PWD/build/$tree/wine-run"
  "$wine_run" regsvr32 /s "build/$tree/server/PELRIN.DLL"
  echo
  echo "== Registered build/$tree/server/PELRIN.DLL in build/$tree/wine/prefix; asking Pelrin.PelrinEngine.1:"
  # cscript takes a path starting with / for a switch: run from the examples folder.
  (cd examples &&
    "$wine_run" cscript //nologo which_engine.vbs "${1:-at}" | tr -d '\r' | sed -n 1p &&
    "$wine_run" cscript //nologo match_word.vbs "${1:-at}" | tr -d '\r')
  if [ -z "$suffix" ]; then
    echo
    echo "== build/$tree/check/pelrin-check.exe examples/sample.txt:"
    # Exit status 1 means phrases were found.
    status=0
    "$wine_run" "build/$tree/check/pelrin-check.exe" examples/sample.txt | tr -d '\r' || status=$?
    [ "$status" -le 1 ] || exit "$status"
  fi
done
