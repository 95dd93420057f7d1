#!/usr/bin/env bash
# Configures and builds the given presets (default: all six), quietly unless
# something fails.
#   scripts/build.sh [-DNAME=VALUE]... [--target TARGET]... [PRESET]...
# -D settings go to every configure, --target limits every build to those
# targets (default: all).
set -euo pipefail
cd "$(dirname "$0")/.."
presets=()
settings=()
targets=()
while [ $# -gt 0 ]; do
  case "$1" in
    -D*) settings+=("$1") ;;
    --target) targets+=(--target "$2"); shift ;;
    *) presets+=("$1") ;;
  esac
  shift
done
[ ${#presets[@]} -gt 0 ] || presets=(host host-asan win32 win64 win32-1001 win64-1001)
for preset in "${presets[@]}"; do
  echo "== build $preset"
  log="build/$preset.log"
  mkdir -p build
  if ! { cmake --preset "$preset" "${settings[@]}" &&
         cmake --build --preset "$preset" "${targets[@]}"; } >"$log" 2>&1; then
    cat "$log"
    echo "build of $preset failed (log: $log)" >&2
    exit 1
  fi
done
