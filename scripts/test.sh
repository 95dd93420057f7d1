#!/usr/bin/env bash
# The whole test suite: installs what is missing, builds every preset and runs
# all their tests (host, host-asan, win64 and win64-1001 under Wine, win32 and
# win32-1001 under emulated 32-bit Wine) in one ctest run, ending with ctest's
# summary.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh test
# The x64 trees package the i686 trees' DLLs: those are built first.
presets=(host host-asan win32 win64 win32-1001 win64-1001)
scripts/build.sh "${presets[@]}"

# One test tree over the six builds, so one ctest run reports them all.
printf 'subdirs("%s")\n' "${presets[@]}" > build/CTestTestfile.cmake

cleanup() {
  for prefix in build/*/wine/prefix; do
    if [ -d "$prefix" ]; then WINEPREFIX="$PWD/$prefix" wineserver -k >/dev/null 2>&1 || true; fi
  done
}
trap cleanup EXIT
ctest --test-dir build --output-on-failure -j2 "$@"
