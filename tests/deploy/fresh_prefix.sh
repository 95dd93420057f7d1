# Sourced by the deployment tests (sh): gives the test a Wine prefix of its
# own, new on every run, under <work>/wine; at the end stops its server and,
# when the test passed, removes the prefix (over a gigabyte each).
# Expects $wine_run and $work; provides fail, run, view, gone, the
# product's identities and the answers of its client.
PELRIN_WINE_ROOT="$work/wine"
export PELRIN_WINE_ROOT
rm -rf "$work" && mkdir -p "$work" || exit 2
status=0
trap 'WINEPREFIX="$PELRIN_WINE_ROOT/prefix" wineserver -k >/dev/null 2>&1; [ $status = 0 ] && rm -rf "$PELRIN_WINE_ROOT"' EXIT
fail() { printf 'FAIL: %s\n' "$*"; status=1; }
# The program's output without CRs, and its exit status (a pipe would give tr's).
run() {
  "$wine_run" "$@" > "$work/run.out"
  set -- $?
  tr -d '\r' < "$work/run.out"
  return "$1"
}
drive_c="$PELRIN_WINE_ROOT/prefix/drive_c"
# What tests/deploy/reg_free_client.cpp prints when the engine answers every way it is asked.
client_answers=$(printf 'clsid: 0x00000000 3\nprogid: 0x00000000 3\ndispatch: 0x00000000 3\nmta: 0x00000000 3 3')
our_keys="Pelrin.PelrinEngine.1 Pelrin.PelrinEngine CLSID\\{EDBA7DCF-775A-11D3-B1D4-00104BC9635C}
TypeLib\\{EDBA7DC1-775A-11D3-B1D4-00104BC9635C} Interface\\{EDBA7DCE-775A-11D3-B1D4-00104BC9635C}"

# Our keys and values under <root> as <reg.exe> shows them: the 64-bit
# reg.exe, or syswow64's for what 32-bit programs see.
view() { # <reg.exe> <root>
  for key in $our_keys; do run "$1" query "$2\\$key" /s 2>/dev/null; done
}

# No key of ours left under <root> in either registry view.
gone() { # <root>
  for key in $our_keys; do
    for bits in 64 32; do
      "$wine_run" reg query "$1\\$key" /reg:$bits >/dev/null 2>&1 && fail "$1\\$key left (/reg:$bits)"
    done
  done
}
