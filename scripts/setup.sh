#!/usr/bin/env bash
# Installs the Debian packages the builds and tests need, when any is missing.
# Idempotent and quiet when everything is present. Never adds the i386
# architecture: these machines cannot run 32-bit code.
set -euo pipefail

packages=(
  wine wine64 libwine-dev fonts-wine
  g++-mingw-w64-x86-64 g++-mingw-w64-i686 mingw-w64-tools
  cmake make g++ googletest
  clang libclang-rt-14-dev
  xvfb xauth imagemagick
  zip
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$'; then
    missing+=("$p")
  fi
done

[ ${#missing[@]} -eq 0 ] && exit 0

echo "setup: installing ${missing[*]}" >&2
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq >/dev/null
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
echo "setup: done" >&2
