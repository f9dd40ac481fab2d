#!/usr/bin/env bash
# Draws a level ride of one line to a PNG: the line is ridden by the plug-in in the
# simulated host, which dumps the peaks, the envelope it wrote and the rendered result;
# matplotlib draws them.
#   bash scripts/ride_picture.sh LINE.wav OUT.png [RATIO_TYPE]
set -euo pipefail
if [ $# -lt 2 ] || [ $# -gt 3 ]; then
  echo "usage: $0 LINE.wav OUT.png [RATIO_TYPE (0..3, default 1)]" >&2
  exit 2
fi
line="$(realpath "$1")"
out="$(realpath -m "$2")"
ratio="${3:-1}"
source "$(dirname "$0")/../demo/build_host.sh"
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
json="$(mktemp --suffix=.json)"
trap 'rm -f "$json"' EXIT
"$MXHOST" "$ROOT/demo/ride_dump.lua" "$line" "$json" "$ratio"
/usr/bin/python3 "$ROOT/demo/ride_picture.py" "$json" "$out"
echo "ride picture of $(basename "$line"): $out"
