#!/usr/bin/env bash
# Builds a Release tree in build-bench/ and prints the speed figures of the peak list
# and of level riding, each with its goal.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

dir=build-bench
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release -DMX_TESTS=OFF >/dev/null
cmake --build "$dir" -j "$(nproc)" --target mx_bench mx_voxpair_bench
"$dir/bench/mx_bench"
"$dir/bench/mx_voxpair_bench"
cmake --build "$dir" -j "$(nproc)" --target mxhost54 reaper_MIXVALE_COBALT_for_7.x && "$dir/simhost/mxhost54" bench/lua_lists.lua
