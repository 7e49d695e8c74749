#!/usr/bin/env bash
# Runs relalg under valgrind memcheck on every golden input: bash fuzz/valgrind.sh RELALG.
# Exits non-zero when any run has a memory error or a leak, or writes other than the golden
# output. Takes about a second per case.
set -euo pipefail
program="$(realpath "${1:?usage: fuzz/valgrind.sh path/to/relalg}")"
repo="$(cd "$(dirname "$0")/.." && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

cases=0
failed=0
while IFS= read -r -d '' input; do
  cases=$((cases + 1))
  if ! valgrind -q --tool=memcheck --leak-check=full --error-exitcode=1 \
    --errors-for-leak-kinds=definite,indirect,possible "$program" "$input" "$work/got" \
    >"$work/log" 2>&1 || ! cmp -s "$work/got" "${input%.in}.out"; then
    echo "FAILED $input"
    cat "$work/log"
    failed=$((failed + 1))
  fi
done < <(find "$repo/tests/golden" -name '*.in' -print0 | sort -z)
echo "valgrind: $cases cases, $failed failed"
[ "$failed" -eq 0 ]
