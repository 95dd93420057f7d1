#!/usr/bin/env bash
# The main job: builds both DLLs, then runs the engine-core demo under Wine
# for a word (default "at"): the phrases that begin with it, their alternates
# and the engine's load report.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh win64 win32
echo "PELRIN.DLL: build/win64/server/PELRIN.DLL (x64), build/win32/server/PELRIN.DLL (x86)"
echo
exec build/win64/wine-run build/win64/tests/support/pelrin_core_demo.exe "$@"
