#!/usr/bin/env bash
# Configures, builds and installs relalg into a temporary prefix, checks the installed program
# and manual page, renders the page without warnings, and checks the Debian package's contents.
# Usage: tools/checkinstall.sh [BUILD_DIR]
# Without BUILD_DIR it builds in a temporary directory, without the tests; a BUILD_DIR given is
# configured with the options it already has.
set -euo pipefail
cd "$(dirname "$0")/.."
source=$PWD

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
build=${1:-$scratch/build}
prefix=$scratch/prefix
options=()
[[ $# -gt 0 ]] || options=(-DRELALG_TESTS=OFF)

fail() {
  echo "checkinstall: $*" >&2
  exit 1
}

echo "== configure and build in $build"
cmake -S "$source" -B "$build" "${options[@]}" >/dev/null
cmake --build "$build" -j2 >/dev/null

echo "== install into $prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null
[[ -x $prefix/bin/relalg ]] || fail "bin/relalg missing"
[[ -f $prefix/share/man/man1/relalg.1 ]] || fail "share/man/man1/relalg.1 missing"

# The installed program must answer with its message and status 0.
message=$("$prefix/bin/relalg") || fail "relalg without arguments exited with $?"
[[ $message == "Nem megfelelo szamu parameter !" ]] || fail "unexpected message: $message"

echo "== render the manual page"
# groff and man exit 0 on warnings; any text on standard error counts as a failure.
if command -v groff >/dev/null; then
  warnings=$(groff -man -Tutf8 -ww -z "$prefix/share/man/man1/relalg.1" 2>&1)
else
  warnings=$(man --warnings -l "$prefix/share/man/man1/relalg.1" 2>&1 >/dev/null)
fi
[[ -z $warnings ]] || fail "the manual page renders with warnings: $warnings"
MANPATH=$prefix/share/man man relalg >/dev/null 2>&1 || fail "man cannot find the installed page"

if command -v dpkg-deb >/dev/null; then
  echo "== Debian package"
  if ! (cd "$build" && cpack -G DEB >"$scratch/cpack.log" 2>&1); then
    cat "$scratch/cpack.log"
    fail "cpack failed"
  fi
  package=$(ls "$build"/relalg_*.deb)
  contents=$(dpkg-deb -c "$package")
  grep -q '/usr/bin/relalg$' <<<"$contents" || fail "the package lacks usr/bin/relalg"
  grep -q '/usr/share/man/man1/relalg\.1$' <<<"$contents" || fail "the package lacks relalg.1"
  echo "$(basename "$package"): $(dpkg-deb -f "$package" Depends)"
fi
echo "checkinstall: ok"
