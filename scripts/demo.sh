#!/usr/bin/env bash
# Builds the plug-in and runs the demo session script in the simulated host.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build >/dev/null
cmake --build build -j "$(nproc)" --target mxhost54 >/dev/null
build/simhost/mxhost54 demo/session.lua
