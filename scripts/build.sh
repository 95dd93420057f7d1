#!/usr/bin/env bash
# Configures and builds the given presets (default: all six), quietly unless
# something fails.
set -euo pipefail
cd "$(dirname "$0")/.."
presets=("$@")
[ ${#presets[@]} -gt 0 ] || presets=(host host-asan win32 win64 win32-1001 win64-1001)
for preset in "${presets[@]}"; do
  echo "== build $preset"
  log="build/$preset.log"
  mkdir -p build
  if ! { cmake --preset "$preset" && cmake --build --preset "$preset"; } >"$log" 2>&1; then
    cat "$log"
    echo "build of $preset failed (log: $log)" >&2
    exit 1
  fi
done
