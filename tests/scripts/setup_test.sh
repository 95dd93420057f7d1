#!/usr/bin/env bash
# What scripts/setup.sh decides when apt-get fails, with an apt-get stand-in
# on PATH: nothing on the machine is touched.
#   setup_test.sh <scripts/setup.sh> <scratch folder>
set -uo pipefail
setup=$1
scratch=$2
rm -rf "$scratch"
mkdir -p "$scratch/bin"
failures=0

# The stand-in: `update` and `install` each behave as the scenario says and
# log their arguments.
#   ok             succeed
#   index          fail as a mirror in mid-sync does (one i386 index)
#   network-once   fail on the network the first time, then succeed
#   skew           fail as mismatched multi-arch versions do, unless -t bookworm
#   broken         always fail with unmet dependencies
cat >"$scratch/bin/apt-get" <<'STANDIN'
#!/bin/sh
echo "apt-get $*" >>"$STANDIN_LOG"
case " $* " in *" update "*) mode=$STANDIN_UPDATE; call=update ;; *) mode=$STANDIN_INSTALL; call=install ;; esac
count_file="$STANDIN_LOG.$call"
count=$(($(cat "$count_file" 2>/dev/null || echo 0) + 1))
echo $count >"$count_file"
case $mode in
  ok) exit 0 ;;
  index)
    echo "E: Failed to fetch http://mirror.invalid/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (41216 != 41212). Mirror sync in progress? [IP: 192.0.2.1 80]"
    echo "E: Some index files failed to download. They have been ignored, or old ones used instead."
    exit 100 ;;
  network-once)
    [ "$count" -gt 1 ] && exit 0
    echo "Err:1 http://mirror.invalid/debian bookworm InRelease"
    echo "  Temporary failure resolving 'mirror.invalid'"
    echo "E: Unable to fetch some archives, maybe run apt-get update or try with --fix-missing?"
    exit 100 ;;
  skew)
    case " $* " in *" -t bookworm "*) exit 0 ;; esac
    echo "The following packages have unmet dependencies:"
    echo " libssl3:i386 : Depends: libc6:i386 (>= 2.34) but it is not going to be installed"
    echo "E: Unable to correct problems, you have held broken packages."
    exit 100 ;;
  broken)
    echo "The following packages have unmet dependencies:"
    echo " wine32:i386 : Depends: libwine:i386 (= 8.0~repack-4) but it is not going to be installed"
    echo "E: Unable to correct problems, you have held broken packages."
    exit 100 ;;
esac
STANDIN
# Nothing is installed; sudo, for a run that is not root, just runs.
printf '#!/bin/sh\nexit 1\n' >"$scratch/bin/dpkg-query"
printf '#!/bin/sh\nexec "$@"\n' >"$scratch/bin/sudo"
chmod +x "$scratch/bin/"*

# name | update | install | exit status | apt-get calls | what stderr must say
while IFS='|' read -r name update install status calls says; do
  [ -n "$name" ] || continue
  log="$scratch/$name.log"
  out=$(STANDIN_LOG=$log STANDIN_UPDATE=$update STANDIN_INSTALL=$install SETUP_NETWORK_WAIT=0 \
        PATH="$scratch/bin:$PATH" bash -c 'source "$1"; install_missing pkg-a wine32:i386' _ "$setup" 2>&1)
  got_status=$?
  got_calls=$(sed -e 's/apt-get \([a-z]*\).*/\1/' -e 's/^install$/install/' "$log" | paste -sd, -)
  grep -q -- '-t bookworm' "$log" && got_calls="$got_calls+base"
  if [ "$got_status" != "$status" ] || [ "$got_calls" != "$calls" ] || ! grep -qE -- "$says" <<<"$out"; then
    echo "FAIL $name: exit $got_status (want $status), calls $got_calls (want $calls)"
    echo "$out" | sed 's/^/  | /'
    failures=$((failures + 1))
  else
    echo "ok   $name"
  fi
done <<'TABLE'
all well|ok|ok|0|update,install|installing pkg-a wine32:i386
mirror in mid-sync: a warning naming the index|index|ok|0|update,install|binary-i386/Packages.xz
versions skewed across architectures: base release|index|skew|0|update,install,install+base|disagree across architectures
unsolvable: names the packages and what to do|index|broken|1|update,install,install+base|could not install: pkg-a wine32:i386.*
unsolvable: apt's own reason shown|ok|broken|1|update,install,install+base|wine32:i386 : Depends: libwine
network failures are tried again|network-once|network-once|0|update,update,install,install|trying again
TABLE

# The backports source takes the first mirror that serves the release: one
# line, however many entries and files name it.
apt="$scratch/root/etc/apt"
mkdir -p "$apt/sources.list.d"
printf '# deb http://commented.invalid/debian bookworm main\ndeb [arch=amd64] http://first.invalid/debian bookworm main\ndeb http://second.invalid/debian bookworm contrib\n' >"$apt/sources.list"
printf 'deb http://third.invalid/debian bookworm main\n' >"$apt/sources.list.d/more.list"
printf 'Types: deb\nURIs: http://fourth.invalid/debian\nSuites: bookworm\n' >"$apt/sources.list.d/debian.sources"
mirror=$(SETUP_APT_ROOT="$scratch/root" bash -c 'source "$1"; debian_mirror' _ "$setup")
if [ "$mirror" = "http://first.invalid/debian" ]; then echo "ok   one mirror from many sources"; else
  echo "FAIL mirror from many sources: '$mirror'"; failures=$((failures + 1)); fi

[ "$failures" -eq 0 ] || { echo "$failures scenario(s) failed"; exit 1; }
