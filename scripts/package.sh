#!/usr/bin/env bash
# Builds both DLLs and the release package build/Pelrin-<version>.zip: x86
# and x64 DLLs with their type libraries, the generated header, the examples,
# README and licence.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh win32 win64
cpack --config build/win64/CPackConfig.cmake -B build/package >/dev/null
ls build/package/*.zip
