#!/usr/bin/env bash
# Configures and builds one of the trees: native, sanitize, tsan (ThreadSanitizer), windows, fuzz.
# Usage: scripts/build.sh native|sanitize|tsan|windows|fuzz [target...]
set -euo pipefail
cd "$(dirname "$0")/.."
kind=$1; shift
jobs=$(nproc)
case $kind in
  native)   dir=build/native;   args=(-DCMAKE_BUILD_TYPE=RelWithDebInfo) ;;
  sanitize) dir=build/sanitize; args=(-DCMAKE_BUILD_TYPE=Debug -DLARKSPUR_SANITIZE=ON) ;;
  tsan)     dir=build/tsan;     args=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DLARKSPUR_TSAN=ON) ;;
  windows)  dir=build/windows;  args=(-DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake) ;;
  fuzz)     dir=build/fuzz;     args=(-DCMAKE_BUILD_TYPE=Debug -DLARKSPUR_FUZZ=ON
                                      -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++) ;;
  *) echo "usage: $0 native|sanitize|tsan|windows|fuzz [target...]" >&2; exit 2 ;;
esac
[ -f "$dir/CMakeCache.txt" ] || cmake -S . -B "$dir" -G Ninja "${args[@]}" >/dev/null
if (($#)); then
  cmake --build "$dir" -j "$jobs" --target "$@"
else
  cmake --build "$dir" -j "$jobs"
fi
