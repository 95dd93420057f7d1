#!/usr/bin/env bash
# Installs the Debian packages a job needs, when any is missing, and registers
# the i386 emulator with binfmt_misc. Idempotent and quiet when everything is
# present.
#   scripts/setup.sh [test|demo|package]      (default: test, which needs all)
#
# 32-bit Windows code runs here only under CPU emulation: these machines refuse
# 32-bit code natively. 32-bit Wine (wine32:i386) is started by qemu-i386 from
# qemu-user 10 or later, which only bookworm-backports has (bookworm's 7.2
# cannot run it); the backports suite is added from the mirror the machine's
# apt sources already name.
set -euo pipefail

# What each job needs. Building the DLLs needs the cross compilers and widl
# with Wine's IDL files, and openssl and osslsigncode to sign them; running
# them needs Wine of both bitnesses and the emulator; packaging needs the MSI
# tools; the tests need all of it.
build_packages=(cmake make g++ g++-mingw-w64-x86-64 g++-mingw-w64-i686 mingw-w64-tools libwine-dev openssl osslsigncode)
run_packages=(wine wine64 fonts-wine wine32:i386 gcc-i686-linux-gnu libc6-dev-i386-cross)
package_packages=(msitools wixl zip)
test_packages=(googletest clang libclang-rt-14-dev xvfb xauth imagemagick)
release=bookworm
backports=$release-backports
qemu_min=1:10
# How often a download that failed on the network is tried, and the wait
# before the next try (seconds, times the try's number).
network_tries=3
network_wait=${SETUP_NETWORK_WAIT:-5}

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive

say() { echo "setup: $*" >&2; }

installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q '^install ok installed$'
}

# A failure worth trying again in a moment: the network, not the archive.
transient_failure() {
  grep -qE 'Temporary failure|Could not connect|Connection (failed|timed out|refused|reset)|Could not resolve|Unable to connect|Network is unreachable|Unable to fetch some archives|50[234] ' "$1"
}

# The first URI of the apt sources that serves Debian's main release suite,
# from one-line `deb` entries or deb822 stanzas (comments skipped): one line.
debian_mirror() {
  local f apt=${SETUP_APT_ROOT:-}/etc/apt
  {
    for f in "$apt/sources.list" "$apt"/sources.list.d/*.list; do
      [ -f "$f" ] || continue
      awk -v suite="$release" '$1 == "deb" { sub(/\[[^]]*\]/, ""); if ($3 == suite) { print $2; exit } }' "$f"
    done
    for f in "$apt"/sources.list.d/*.sources; do
      [ -f "$f" ] || continue
      awk -v want="$release" 'function flush() { if (suite && uri && types) { print uri; exit } suite = uri = types = 0 }
           /^[ \t]*#/ { next }
           /^[ \t]*$/ { flush(); next }
           tolower($1) == "types:" { for (i = 2; i <= NF; i++) if ($i == "deb") types = 1 }
           tolower($1) == "uris:" { uri = $2 }
           tolower($1) == "suites:" { for (i = 2; i <= NF; i++) if ($i == want) suite = 1 }
           END { flush() }' "$f"
    done
  } | sed -n 1p
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

# apt-get update, tried again on network failures. An index that still fails
# (a mirror in mid-sync serves one with the wrong size for hours) is a
# warning: the install that follows says whether what was fetched suffices.
updated=
apt_update() {
  [ -n "$updated" ] && return 0
  local log try
  log=$(mktemp)
  for ((try = 1; ; try++)); do
    if "${sudo_cmd[@]}" apt-get update -q >"$log" 2>&1; then
      break
    fi
    if [ "$try" -lt "$network_tries" ] && transient_failure "$log"; then
      say "apt-get update failed on the network; trying again"
      sleep $((network_wait * try))
      continue
    fi
    say "warning: apt-get update could not fetch every index; going on with what it has:"
    grep -E '^(E|W): ' "$log" | grep -v 'ignored, or old ones used instead' | sed 's/^/  /' >&2 || true
    break
  done
  rm -f "$log"
  updated=1
}

# apt-get install of the packages, with extra options first. Network failures
# are tried again; an unsolvable set is tried once more with the base
# release's versions as candidates, which agree across architectures when a
# mirror has the security suite's index of one architecture and not the
# other's. Says why and fails when nothing works.
apt_install() {
  local options=() log try
  while [ "${1:-}" != "--" ]; do options+=("$1"); shift; done
  shift
  log=$(mktemp)
  for ((try = 1; ; try++)); do
    if "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${options[@]}" "$@" >"$log" 2>&1; then
      rm -f "$log"
      return 0
    fi
    if [ "$try" -lt "$network_tries" ] && transient_failure "$log"; then
      say "apt-get install failed on the network; trying again"
      sleep $((network_wait * try))
      continue
    fi
    break
  done
  if [[ " ${options[*]} " != *" -t "* ]] && grep -qE 'held broken packages|unmet dependencies' "$log"; then
    say "the packages' versions disagree across architectures; trying again with $release's own versions"
    if "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${options[@]}" -t "$release" "$@" >"$log" 2>&1; then
      rm -f "$log"
      return 0
    fi
  fi
  say "could not install: $*"
  grep -E '^ |^E: ' "$log" | grep -vE '^  (Reading|Building)' | tail -n 20 | sed 's/^/  /' >&2 || true
  say "if apt-get update warned above, the package mirror may be in the middle of a sync:" \
      "run this again later, or point the apt sources at another mirror. Installing" \
      "the packages named above by hand (apt-get install -t $release ...) and running" \
      "this again also works."
  rm -f "$log"
  return 1
}

# Installs whichever of the packages are missing.
install_missing() {
  local missing=() p
  for p in "$@"; do
    installed "$p" || missing+=("$p")
  done
  [ ${#missing[@]} -gt 0 ] || return 0
  say "installing ${missing[*]}"
  apt_update
  apt_install -- "${missing[@]}"
}

add_i386() {
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    say "adding the i386 architecture"
    "${sudo_cmd[@]}" dpkg --add-architecture i386
    updated=
  fi
}

install_qemu() {
  qemu_ok && return 0
  if ! has_backports_source; then
    local mirror
    mirror=$(debian_mirror)
    if [ -z "$mirror" ]; then
      say "no apt source names Debian's $release suite; cannot add $backports"
      return 1
    fi
    say "adding $backports from $mirror"
    printf 'Types: deb\nURIs: %s\nSuites: %s\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
      "$mirror" "$backports" | "${sudo_cmd[@]}" tee "/etc/apt/sources.list.d/$backports.sources" >/dev/null
    updated=
  fi
  say "installing qemu-user from $backports"
  apt_update
  apt_install -t "$backports" -- qemu-user
  qemu_ok || { say "qemu-user $qemu_min or later is not installed"; return 1; }
}

# Kernel state, lost at every restart: checked on each run. An entry of the
# same name left by another package may name an older emulator: replaced.
register_emulator() {
  local binfmt=/proc/sys/fs/binfmt_misc
  local entry=$binfmt/qemu-i386
  local interpreter=/usr/libexec/qemu-binfmt/i386-binfmt-P
  if [ ! -e "$binfmt/register" ]; then
    "${sudo_cmd[@]}" mount -t binfmt_misc none "$binfmt"
  fi
  if [ -e "$entry" ] && ! grep -qx "interpreter $interpreter" "$entry"; then
    echo -1 | "${sudo_cmd[@]}" tee "$entry" >/dev/null
  fi
  if [ ! -e "$entry" ]; then
    say "registering $interpreter for i386 programs"
    printf '%s' ":qemu-i386:M::\\x7fELF\\x01\\x01\\x01\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x02\\x00\\x03\\x00:\\xff\\xff\\xff\\xff\\xff\\xfe\\xfe\\x00\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xfe\\xff\\xff\\xff:$interpreter:POF" |
      "${sudo_cmd[@]}" tee "$binfmt/register" >/dev/null
  fi
  grep -qx enabled "$entry" || { say "the qemu-i386 binfmt entry is disabled"; return 1; }
}

main() {
  local job=${1:-test}
  case "$job" in
    package) install_missing "${build_packages[@]}" "${package_packages[@]}" ;;
    demo | test)
      local packages=("${build_packages[@]}" "${run_packages[@]}")
      [ "$job" = demo ] || packages+=("${package_packages[@]}" "${test_packages[@]}")
      add_i386
      install_missing "${packages[@]}"
      install_qemu
      register_emulator
      ;;
    *) say "usage: setup.sh [test|demo|package]"; return 2 ;;
  esac
}

# Sourced by its test for the functions alone.
if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  main "$@"
fi
