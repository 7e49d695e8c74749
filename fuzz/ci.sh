#!/usr/bin/env bash
# Builds a fuzz target with clang and runs it from the golden inputs: bash fuzz/ci.sh [SECONDS]
# [TARGET] (default 60 seconds of relalgfuzz, the whole run; checkfuzz is relalg-check's).
# Exits non-zero on any crash, leak, sanitizer report or input slower than one second; the
# failing input is saved in the artifacts folder it prints. FUZZ_BUILD sets the build folder.
set -euo pipefail
seconds="${1:-60}"
target="${2:-relalgfuzz}"
here="$(cd "$(dirname "$0")" && pwd)"
repo="$(dirname "$here")"
build="${FUZZ_BUILD:-$repo/build-fuzz}"

# clang and its libFuzzer runtime come from Debian's packages where the machine lacks them.
if ! command -v clang++ >/dev/null ||
  [ ! -e "$(clang++ --print-runtime-dir)/libclang_rt.fuzzer-x86_64.a" ]; then
  apt-get update -qq && apt-get install -y -qq clang libclang-rt-dev >/dev/null
fi

cmake -S "$here" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  >/dev/null
cmake --build "$build" -j2 --target "$target"

# The seed corpus: every golden input, copied afresh so the committed cases stay the only copy.
seeds="$build/seeds"
corpus="$build/$target-corpus"
artifacts="$build/$target-artifacts"
rm -rf "$seeds"
mkdir -p "$seeds" "$corpus" "$artifacts"
n=0
while IFS= read -r -d '' input; do
  n=$((n + 1))
  cp "$input" "$seeds/$n.in"
done < <(find "$repo/tests/golden" -name '*.in' -print0)
echo "== fuzzing $target for ${seconds}s from $n golden inputs; failing inputs go to $artifacts/"

# Runs in this one process, on one core; new inputs found go to $corpus, kept between runs.
# Inputs are capped at 4 KB: enough for every construct, and it keeps a single product of
# two tables (the target skips nested ones) well within the time and memory limits.
status=0
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ASAN_OPTIONS=detect_leaks=1 \
  "$build/$target" "$corpus" "$seeds" -dict="$here/relalg.dict" \
  -max_total_time="$seconds" -timeout=1 -rss_limit_mb=2048 -max_len=4096 \
  -artifact_prefix="$artifacts/" -print_final_stats=1 || status=$?
if [ "$status" -ne 0 ]; then
  echo "== fuzzing failed (status $status); the input is in $artifacts/:"
  ls -l "$artifacts"
  # The clone CI runs in is thrown away: show the inputs themselves in the log too.
  for input in "$artifacts"/*; do
    echo "-- $input"
    od -c "$input" | head -64
  done
  exit 1
fi
echo "== fuzzing found nothing"
