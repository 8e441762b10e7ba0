#!/usr/bin/env bash
# Every test: native, native under AddressSanitizer + UndefinedBehaviorSanitizer, the threaded
# writer's tests under ThreadSanitizer, and the Windows build under Wine in a headless X server;
# then a short run of every fuzz target. Ends with a summary counted from GoogleTest's own output
# (tests run, failed and skipped per phase, every skipped test with its reason) and the line
# "N passed, N failed, N skipped". Exits non-zero when any test fails, or when a phase runs no
# test at all.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
bash scripts/install-deps.sh || exit 1
status=0
phases=()

# ctest_phase NAME BUILD_DIR JOBS [LAUNCHER...]: ctest in BUILD_DIR, started through LAUNCHER,
# with the extra ctest arguments in the array ctest_args.
ctest_args=()
ctest_phase() {
  local name=$1 dir=$root/$2 jobs=$3
  shift 3
  rm -rf "$dir/gtest-results" "$dir/ctest-junit.xml"
  mkdir -p "$dir/gtest-results"
  echo "== $name"
  "$@" ctest --test-dir "$dir" --output-on-failure --no-tests=error \
    --output-junit "$dir/ctest-junit.xml" -j "$jobs" "${ctest_args[@]}" || status=1
  phases+=("$name:$dir/ctest-junit.xml:$dir/gtest-results")
}

for kind in native sanitize; do
  if bash scripts/build.sh $kind; then
    ctest_phase $kind build/$kind "$(nproc)"
  else
    echo "build $kind failed"; status=1; phases+=("$kind:-:-")
  fi
done

# The writer's threads under ThreadSanitizer: only the tests that run them.
if bash scripts/build.sh tsan writer_tests; then
  ctest_args=(-R '^writer_tests$')
  GTEST_FILTER='*Ahead*:*Threaded*' ctest_phase tsan build/tsan 1
  ctest_args=()
else
  echo "build tsan failed"; status=1; phases+=("tsan:-:-")
fi

if bash scripts/build.sh windows; then
  . scripts/wine-env.sh build/windows
  # One program at a time: the Wine tests share one prefix and one X display.
  ctest_phase windows build/windows 1 xvfb-run -a -s '-screen 0 1280x1024x24'
  wineserver -k 2>/dev/null || true
else
  echo "build windows failed"; status=1; phases+=("windows:-:-")
fi

mkdir -p build
bash scripts/fuzz-smoke.sh 30 2>&1 | tee build/fuzz-smoke.log
((PIPESTATUS[0] == 0)) || status=1
phases+=("fuzz:::$root/build/fuzz-smoke.log")

summary=$(python3 scripts/test-summary.py "${phases[@]}") || status=1
printf '%s\n' "$summary" | sed '$d'
if ((status == 0)); then echo "ALL TESTS PASSED"; else echo "SOME TESTS FAILED"; fi
printf '%s\n' "$summary" | tail -n 1
exit $status
