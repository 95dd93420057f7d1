#!/usr/bin/env bash
# Installs the Debian packages the builds and tests need, when any is missing,
# and registers the i386 emulator with binfmt_misc. Idempotent and quiet when
# everything is present.
#
# 32-bit Windows code runs here only under CPU emulation: these machines refuse
# 32-bit code natively. 32-bit Wine (wine32:i386) is started by qemu-i386 from
# qemu-user 10 or later, which only bookworm-backports has (bookworm's 7.2
# cannot run it); the backports suite is added from the mirror the machine's
# apt sources already name.
set -euo pipefail

packages=(
  wine wine64 libwine-dev fonts-wine
  g++-mingw-w64-x86-64 g++-mingw-w64-i686 mingw-w64-tools
  cmake make g++ googletest
  clang libclang-rt-14-dev
  xvfb xauth imagemagick
  zip
  wine32:i386 gcc-i686-linux-gnu libc6-dev-i386-cross
  msitools wixl
)
backports=bookworm-backports
qemu_min=1:10

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive

installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q '^install ok installed$'
}

# The first URI of the apt sources that serves Debian's main "bookworm" suite,
# from one-line `deb` entries or deb822 stanzas (comments skipped).
debian_mirror() {
  local f
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$f" ] || continue
    awk '$1 == "deb" { sub(/\[[^]]*\]/, ""); if ($3 == "bookworm") { print $2; exit } }' "$f"
  done
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    awk 'function flush() { if (suite && uri && types) { print uri; exit } suite = uri = types = 0 }
         /^[ \t]*#/ { next }
         /^[ \t]*$/ { flush(); next }
         tolower($1) == "types:" { for (i = 2; i <= NF; i++) if ($i == "deb") types = 1 }
         tolower($1) == "uris:" { uri = $2 }
         tolower($1) == "suites:" { for (i = 2; i <= NF; i++) if ($i == "bookworm") suite = 1 }
         END { flush() }' "$f"
  done | sed -n 1p
}

has_backports_source() {
  grep -rqsE "(^|[[:space:]])$backports([[:space:]]|$)" \
    /etc/apt/sources.list /etc/apt/sources.list.d/ 2>/dev/null
}

qemu_ok() {
  local v
  v=$(dpkg-query -W -f='${Version}' qemu-user 2>/dev/null) || return 1
  installed qemu-user && dpkg --compare-versions "$v" ge "$qemu_min"
}

updated=
apt_update() {
  [ -n "$updated" ] && return 0
  "${sudo_cmd[@]}" apt-get update -qq >/dev/null
  updated=1
}

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  echo "setup: adding the i386 architecture" >&2
  "${sudo_cmd[@]}" dpkg --add-architecture i386
fi

missing=()
for p in "${packages[@]}"; do
  installed "$p" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}" >&2
  apt_update
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

if ! qemu_ok; then
  if ! has_backports_source; then
    mirror=$(debian_mirror)
    if [ -z "$mirror" ]; then
      echo "setup: no apt source names Debian's bookworm suite; cannot add $backports" >&2
      exit 1
    fi
    echo "setup: adding $backports from $mirror" >&2
    printf 'Types: deb\nURIs: %s\nSuites: %s\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
      "$mirror" "$backports" | "${sudo_cmd[@]}" tee "/etc/apt/sources.list.d/$backports.sources" >/dev/null
    updated=
  fi
  echo "setup: installing qemu-user from $backports" >&2
  apt_update
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends -t "$backports" qemu-user >/dev/null
  qemu_ok || { echo "setup: qemu-user $qemu_min or later is not installed" >&2; exit 1; }
fi

# Kernel state, lost at every restart: checked on each run. An entry of the
# same name left by another package may name an older emulator: replaced.
binfmt=/proc/sys/fs/binfmt_misc
entry=$binfmt/qemu-i386
interpreter=/usr/libexec/qemu-binfmt/i386-binfmt-P
if [ ! -e "$binfmt/register" ]; then
  "${sudo_cmd[@]}" mount -t binfmt_misc none "$binfmt"
fi
if [ -e "$entry" ] && ! grep -qx "interpreter $interpreter" "$entry"; then
  echo -1 | "${sudo_cmd[@]}" tee "$entry" >/dev/null
fi
if [ ! -e "$entry" ]; then
  echo "setup: registering $interpreter for i386 programs" >&2
  printf '%s' ":qemu-i386:M::\\x7fELF\\x01\\x01\\x01\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x02\\x00\\x03\\x00:\\xff\\xff\\xff\\xff\\xff\\xfe\\xfe\\x00\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xfe\\xff\\xff\\xff:$interpreter:POF" |
    "${sudo_cmd[@]}" tee "$binfmt/register" >/dev/null
fi
grep -qx enabled "$entry" || { echo "setup: the qemu-i386 binfmt entry is disabled" >&2; exit 1; }
