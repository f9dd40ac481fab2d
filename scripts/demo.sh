#!/usr/bin/env bash
# The headline demo: a small localisation job generated with espeak-ng is laid out by
# bilingual insertion in the simulated host, each Japanese line ridden and matched to the
# loudness of its English line; the lines to listen to and a picture of one ride are
# written to demo-output/. The build goes to MX_BUILD_DIR (default build/).
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
source "$ROOT/demo/build_host.sh"
export MXHOST
OUT="$ROOT/demo-output"
rm -rf "$OUT"
mkdir -p "$OUT"
SECONDS=0
"$MXHOST" "$ROOT/demo/localisation_job.lua" "$OUT" 1
bash "$ROOT/scripts/ride_picture.sh" "$OUT/job/ja/hero_001.wav" "$OUT/ride_hero_001.png" 1
echo "demo ran in ${SECONDS} s (after the build)"
