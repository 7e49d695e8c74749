#!/usr/bin/env bash
# Fails when clang-format would change any C++ file under src/ tests/ fuzz/ bench/ web/.
# Usage: tools/checkformat.sh          list the files that differ and exit 1 if any
#        tools/checkformat.sh --fix    reformat those files in place
set -euo pipefail
cd "$(dirname "$0")/.."

formatter=${CLANG_FORMAT:-}
if [[ -z $formatter ]]; then
  # The style file is written for version 14; a bare clang-format may be another version.
  formatter=$(command -v clang-format-14 || command -v clang-format || true)
fi
if [[ -z $formatter ]]; then
  echo "checkformat: clang-format not found (set CLANG_FORMAT)" >&2
  exit 2
fi

dirs=()
for d in src tests fuzz bench web; do [[ -d $d ]] && dirs+=("$d"); done
# web/node_modules holds the browser test's npm packages, not this project's code.
mapfile -t files < <(find "${dirs[@]}" -path '*/node_modules' -prune -o -type f \( -name '*.cpp' \
  -o -name '*.cc' -o -name '*.h' -o -name '*.hpp' \) -print | sort)

if [[ ${1:-} == --fix ]]; then
  "$formatter" -i --style=file "${files[@]}"
  exit 0
fi

bad=0
for f in "${files[@]}"; do
  if ! "$formatter" --style=file "$f" | cmp -s - "$f"; then
    changed=$("$formatter" --style=file "$f" | diff "$f" - | grep -c '^<' || true)
    echo "$f: $changed line(s) would change"
    bad=1
  fi
done
if ((bad)); then
  echo "checkformat: run tools/checkformat.sh --fix to apply the project's style" >&2
fi
exit $bad
