#!/usr/bin/env bash
# A short run of every fuzz target (clang, libFuzzer, ASan+UBSan), seeded with the shared test
# archives and deflate inputs, so the targets keep building and the parsers meet fresh hostile
# input on every test run. Longer runs: build/fuzz/tests/fuzz/<target> CORPUS_DIR.
# Prints "== TARGET" before each target and "TARGET FOUND A PROBLEM" for each that failed.
# Usage: scripts/fuzz-smoke.sh [SECONDS_PER_TARGET]
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
seconds=${1:-30}
# Absolute: the targets run inside a scratch folder, wherever the checkout lies.
shared=$(realpath ../shared) || { echo "no ../shared beside the checkout"; exit 1; }
bash scripts/build.sh fuzz records_fuzzer zip_reader_fuzzer wildcard_fuzzer deflate_fuzzer \
  inflate_fuzzer gzip_tar_fuzzer extract_fuzzer terminal_text_fuzzer ||
  { echo "fuzz build failed"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
# fuzz TARGET SEED_DIR... : new inputs go to a scratch folder, the seeds are only read.
fuzz() {
  local target=$1; shift
  mkdir -p "$work/$target"
  echo "== $target (${seconds} s)"
  if (cd "$work" && "$root/build/fuzz/tests/fuzz/$target" -max_total_time="$seconds" \
        -max_len=65536 -print_final_stats=1 "$work/$target" "$@" >"$work/$target.log" 2>&1); then
    grep -E "stat::number_of_executed_units|Done" "$work/$target.log" | tail -2
  else
    tail -40 "$work/$target.log"; echo "$target FOUND A PROBLEM"; status=1
  fi
}
fuzz records_fuzzer -dict="$root/tests/fuzz/zip_reader_fuzzer.dict" "$shared/corpora/zips"
fuzz zip_reader_fuzzer -dict="$root/tests/fuzz/zip_reader_fuzzer.dict" "$shared/corpora/zips"
fuzz wildcard_fuzzer -dict="$root/tests/fuzz/wildcard_fuzzer.dict"
fuzz deflate_fuzzer "$shared/vectors/deflate/inputs"
fuzz inflate_fuzzer "$shared/vectors/deflate/expected"
fuzz gzip_tar_fuzzer
fuzz extract_fuzzer "$shared/corpora/zips"
fuzz terminal_text_fuzzer
exit $status
