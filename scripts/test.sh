#!/usr/bin/env bash
# Builds both plug-in builds, the simulated host and every suite, and runs them all.
#   scripts/test.sh              the suites on a normal build (build/)
#   scripts/test.sh --sanitize   the C++ and Lua suites under ASan and UBSan (build-san/)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

dir=build
flags=()
if [ "${1:-}" = "--sanitize" ]; then
  dir=build-san
  flags=(-DMX_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug)
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
fi

cmake -S . -B "$dir" "${flags[@]}" >/dev/null
cmake --build "$dir" -j "$(nproc)"
ctest --test-dir "$dir" --output-on-failure -j "$(nproc)"
