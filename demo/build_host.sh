#!/usr/bin/env bash
# Sourced by the demo scripts: sets up the machine, then configures and builds the
# simulated host and the plug-in quietly in MX_BUILD_DIR (default build/); leaves the
# Lua 5.4 runner's path in MXHOST. A runner already named in MXHOST is used as it is.
[ -n "${MXHOST:-}" ] && return 0
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_DIR="${MX_BUILD_DIR:-$ROOT/build}"
bash "$ROOT/scripts/setup.sh"
if ! log="$( { cmake -S "$ROOT" -B "$BUILD_DIR" && cmake --build "$BUILD_DIR" -j "$(nproc)" --target mxhost54; } 2>&1 )"; then
  printf '%s\n' "$log" >&2
  echo "the build failed (above)" >&2
  exit 1
fi
MXHOST="$BUILD_DIR/simhost/mxhost54"
