#!/usr/bin/env bash
# Installs what building and testing need on a Debian machine: as root it installs the
# missing packages, otherwise it names the command to run.
set -euo pipefail

PACKAGES=(build-essential cmake pkg-config git
  liblua5.4-dev liblua5.3-dev nlohmann-json3-dev libboost-regex-dev
  googletest libgtest-dev python3 python3-pytest
  libsndfile1-dev libebur128-dev espeak-ng
  python3-dev python3-matplotlib)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q "${missing[@]}"
else
  echo "missing packages: ${missing[*]}" >&2
  echo "run: sudo apt-get update && sudo apt-get install -y ${missing[*]}" >&2
  exit 1
fi
