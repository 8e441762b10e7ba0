#!/usr/bin/env bash
# Every test: native, native under AddressSanitizer + UndefinedBehaviorSanitizer, and the
# Windows build under Wine in a headless X server; then a short run of every fuzz target. Exits
# non-zero when any test fails.
set -uo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh || exit 1
status=0
run() { echo "== $*"; "$@" || status=1; }

for kind in native sanitize; do
  if bash scripts/build.sh $kind; then
    run ctest --test-dir build/$kind --output-on-failure -j "$(nproc)"
  else
    echo "build $kind failed"; status=1
  fi
done

if bash scripts/build.sh windows; then
  . scripts/wine-env.sh build/windows
  run xvfb-run -a -s '-screen 0 1280x1024x24' \
    ctest --test-dir build/windows --output-on-failure
  wineserver -k 2>/dev/null || true
else
  echo "build windows failed"; status=1
fi

run bash scripts/fuzz-smoke.sh 30

if ((status == 0)); then echo "ALL TESTS PASSED"; else echo "SOME TESTS FAILED"; fi
exit $status
