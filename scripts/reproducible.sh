#!/usr/bin/env bash
# Builds the committed HEAD twice, from two copies in two folders of
# different names, as scripts/package.sh builds the release, and compares
# what the two builds made: both DLLs of each version, their type libraries,
# regsvr_user.exe of each bitness, the side-by-side manifests, the ZIP and
# the two installer packages. Prints each file as "same" or "DIFFERS" and
# exits 1 if any differs.
#   scripts/reproducible.sh [work-dir]      (default: build/reproducible)
# Both builds sign with one certificate (the environment's, else a throwaway
# one made here), and take SOURCE_DATE_EPOCH from the environment or the
# commit. Takes about as long as two runs of scripts/package.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
work=$(realpath -m "${1:-build/reproducible}")
commit=$(git rev-parse HEAD)
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct "$commit")}
rm -rf "$work" && mkdir -p "$work"
if [ -z "${PELRIN_SIGN_PKCS12:-}" ]; then
  sh cmake/sign.sh --throwaway "$work/signing"
  export PELRIN_SIGN_PKCS12=$work/signing/throwaway.p12 PELRIN_SIGN_PASSWORD=throwaway
fi
trees=("$work/first" "$work/second copy")
for tree in "${trees[@]}"; do
  echo "== build $commit in $tree"
  mkdir -p "$tree" && git archive "$commit" | tar -x -C "$tree"
  "$tree/scripts/package.sh" > "$work/$(basename "$tree" | tr ' ' _).log" 2>&1 ||
    { tail -30 "$work/$(basename "$tree" | tr ' ' _).log"; exit 1; }
done
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "${trees[0]}/build/win64/CMakeCache.txt")
files=()
for preset in win64 win32 win64-1001 win32-1001; do
  files+=("build/$preset/server/PELRIN.DLL" "build/$preset/server/generated/server/pelrin.tlb")
done
files+=(build/win64/deploy/regsvr_user.exe build/win32/deploy/regsvr_user.exe
        build/package/x64/Pelrin.Engine.manifest build/package/x86/Pelrin.Engine.manifest
        "build/package/Pelrin-$version.zip" "build/package/Pelrin-$version-x64.msi" "build/package/Pelrin-$version-x86.msi")
status=0
for file in "${files[@]}"; do
  if cmp -s "${trees[0]}/$file" "${trees[1]}/$file"; then
    echo "same     $file"
  else
    echo "DIFFERS  $file"
    status=1
  fi
done
exit $status
