#!/usr/bin/env bash
# The whole test suite: installs what is missing, builds every preset and runs
# all their tests (host, host-asan, win64 under Wine, win32 under emulated
# 32-bit Wine) in one ctest run, ending with ctest's summary.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh host host-asan win32 win64

# One test tree over the four builds, so one ctest run reports them all.
cat > build/CTestTestfile.cmake <<'CTEST'
subdirs("host")
subdirs("host-asan")
subdirs("win64")
subdirs("win32")
CTEST

cleanup() {
  for prefix in build/*/wine/prefix; do
    if [ -d "$prefix" ]; then WINEPREFIX="$PWD/$prefix" wineserver -k >/dev/null 2>&1 || true; fi
  done
}
trap cleanup EXIT
ctest --test-dir build --output-on-failure -j2 "$@"
