#!/usr/bin/env bash
# The main job: builds both DLLs, registers the x64 one with regsvr32 in the
# build tree's private Wine prefix, and runs the VBScript example client: the
# phrases that begin with a word (default "at") and each phrase's alternates.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh win64 win32
wine_run="$PWD/build/win64/wine-run"
echo "PELRIN.DLL: build/win64/server/PELRIN.DLL (x64), build/win32/server/PELRIN.DLL (x86)"
"$wine_run" regsvr32 /s build/win64/server/PELRIN.DLL
echo "Registered the x64 DLL in build/win64/wine/prefix; asking Pelrin.PelrinEngine.1:"
echo
# cscript takes a path starting with / for a switch: run from the examples folder.
cd examples
"$wine_run" cscript //nologo match_word.vbs "${1:-at}" | tr -d '\r'
