#!/usr/bin/env bash
# Builds relalg-import's fuzz target with clang and runs it: bash fuzz/importci.sh [SECONDS]
# (default 30). Exits non-zero on any crash, leak, sanitizer report, disagreement or input
# slower than one second; the failing input is saved in the artifacts folder it prints.
# FUZZ_BUILD sets the build folder, shared with fuzz/ci.sh.
set -euo pipefail
seconds="${1:-30}"
here="$(cd "$(dirname "$0")" && pwd)"
repo="$(dirname "$here")"
build="${FUZZ_BUILD:-$repo/build-fuzz}"

# clang and its libFuzzer runtime, and libcsv, come from Debian's packages where missing.
if ! command -v clang++ >/dev/null ||
  [ ! -e "$(clang++ --print-runtime-dir)/libclang_rt.fuzzer-x86_64.a" ] ||
  [ ! -e /usr/include/csv.h ]; then
  apt-get update -qq && apt-get install -y -qq clang libclang-rt-dev libcsv-dev >/dev/null
fi

cmake -S "$here" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  >/dev/null
cmake --build "$build" -j2 --target importfuzz

# The seed corpus: the CSV files of relalg-import's cases.
seeds="$build/importseeds"
corpus="$build/importcorpus"
artifacts="$build/importartifacts"
rm -rf "$seeds"
mkdir -p "$seeds" "$corpus" "$artifacts"
cp "$repo"/tests/import/cases/*.csv "$seeds/"
echo "== fuzzing relalg-import for ${seconds}s from $(ls "$seeds" | wc -l) CSV files;" \
  "failing inputs go to $artifacts/"

status=0
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ASAN_OPTIONS=detect_leaks=1 \
  "$build/importfuzz" "$corpus" "$seeds" -dict="$here/import.dict" \
  -max_total_time="$seconds" -timeout=1 -rss_limit_mb=2048 -max_len=4096 \
  -artifact_prefix="$artifacts/" -print_final_stats=1 || status=$?
if [ "$status" -ne 0 ]; then
  echo "== fuzzing failed (status $status); the input is in $artifacts/:"
  ls -l "$artifacts"
  for input in "$artifacts"/*; do
    echo "-- $input"
    od -c "$input" | head -64
  done
  exit 1
fi
echo "== fuzzing found nothing"
