#!/usr/bin/env bash
# Builds the DLLs and the release package build/package/Pelrin-<version>.zip:
# x86 and x64 DLLs with their type libraries, side-by-side manifests and
# per-user registration tools, this version's IDL with the header generated
# from it, the examples, the users' README (deploy/user_readme.md) and the
# licence, and the x86 and x64 DLLs of version 1.0.0.1 in a folder of their
# own; beside it the two installer packages (Pelrin-<version>-x64.msi,
# -x86.msi) and the two manifests (x64/ and x86/Pelrin.Engine.manifest).
# Needs no Wine and builds no tests.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh package
# The x64 trees package the i686 trees' DLLs: those are built first.
scripts/build.sh -DPELRIN_BUILD_TESTS=OFF win32 win64 win32-1001 win64-1001
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' build/win64/CMakeCache.txt)
rm -rf build/package
cpack --config build/win64/CPackConfig.cmake -B build/package >/dev/null
rm -rf build/package/_CPack_Packages
cp "build/win64/deploy/Pelrin-$version-x64.msi" "build/win64/deploy/Pelrin-$version-x86.msi" build/package/
for arch in x64 x86; do
  mkdir -p "build/package/$arch"
  cp "build/win64/deploy/$arch/Pelrin.Engine.manifest" "build/package/$arch/"
done
ls build/package/*.zip build/package/*.msi build/package/*/Pelrin.Engine.manifest
