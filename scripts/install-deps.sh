#!/usr/bin/env bash
# Installs the Debian 12 packages Coffernote needs to build and test, when any is missing.
set -euo pipefail

packages=(g++ cmake ninja-build pkg-config qt6-base-dev libgl-dev libssl-dev libgtest-dev libgmock-dev)
# The fuzz targets need clang and its libFuzzer runtime; scripts/fuzz.sh asks for them.
if [ -n "${COFFERNOTE_FUZZ_DEPS:-}" ]; then
    packages+=(clang libclang-rt-14-dev)
fi
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
