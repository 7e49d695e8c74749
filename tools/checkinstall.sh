#!/usr/bin/env bash
# Configures, builds and installs relalg into a temporary prefix, checks the installed programs
# and manual pages, renders the pages without warnings, and checks the Debian package's contents.
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
for program in relalg relalg-explain relalg-check relalg-import; do
  [[ -x $prefix/bin/$program ]] || fail "bin/$program missing"
  [[ -f $prefix/share/man/man1/$program.1 ]] || fail "share/man/man1/$program.1 missing"
done

# The installed program must answer with its message and status 0.
message=$("$prefix/bin/relalg") || fail "relalg without arguments exited with $?"
[[ $message == "Nem megfelelo szamu parameter !" ]] || fail "unexpected message: $message"

# relalg-explain must explain a shipped example, and refuse a wrong command line with 2.
explained=$("$prefix/bin/relalg-explain" "$source/examples/sales.txt") ||
  fail "relalg-explain on an example exited with $?"
grep -q '^The query as evaluated$' <<<"$explained" || fail "relalg-explain wrote: $explained"
status=0
"$prefix/bin/relalg-explain" >/dev/null 2>&1 || status=$?
[[ $status == 2 ]] || fail "relalg-explain without arguments exited with $status, not 2"

# relalg-check must find a shipped example's query right against itself, and refuse a wrong
# command line with 2.
"$prefix/bin/relalg-check" "$source/examples/sales.txt" "$source/examples/sales.txt" >/dev/null ||
  fail "relalg-check of an example against itself exited with $?"
status=0
"$prefix/bin/relalg-check" >/dev/null 2>&1 || status=$?
[[ $status == 2 ]] || fail "relalg-check without arguments exited with $status, not 2"

# relalg-import must write a CSV file as a table, and refuse a wrong command line with 2.
printf 'id,name\n1,Ann\n' >"$scratch/emp.csv"
imported=$("$prefix/bin/relalg-import" "$scratch/emp.csv") ||
  fail "relalg-import on a CSV file exited with $?"
[[ $imported == $'emp\n\nemp(id int, name char(3))\n1,\'Ann\'' ]] ||
  fail "relalg-import wrote: $imported"
status=0
"$prefix/bin/relalg-import" >/dev/null 2>&1 || status=$?
[[ $status == 2 ]] || fail "relalg-import without arguments exited with $status, not 2"

echo "== render the manual pages"
for program in relalg relalg-explain relalg-check relalg-import; do
  page=$prefix/share/man/man1/$program.1
  # groff and man exit 0 on warnings; any text on standard error counts as a failure.
  if command -v groff >/dev/null; then
    warnings=$(groff -man -Tutf8 -ww -z "$page" 2>&1)
  else
    warnings=$(man --warnings -l "$page" 2>&1 >/dev/null)
  fi
  [[ -z $warnings ]] || fail "the manual page of $program renders with warnings: $warnings"
  MANPATH=$prefix/share/man man "$program" >/dev/null 2>&1 ||
    fail "man cannot find the installed page of $program"
done

if command -v dpkg-deb >/dev/null; then
  echo "== Debian package"
  if ! (cd "$build" && cpack -G DEB >"$scratch/cpack.log" 2>&1); then
    cat "$scratch/cpack.log"
    fail "cpack failed"
  fi
  package=$(ls "$build"/relalg_*.deb)
  contents=$(dpkg-deb -c "$package")
  for program in relalg relalg-explain relalg-import; do
    grep -q "/usr/bin/$program\$" <<<"$contents" || fail "the package lacks usr/bin/$program"
    grep -q "/usr/share/man/man1/$program\.1\$" <<<"$contents" || fail "the package lacks $program.1"
  done
  echo "$(basename "$package"): $(dpkg-deb -f "$package" Depends)"
fi
echo "checkinstall: ok"
