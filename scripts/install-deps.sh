#!/usr/bin/env bash
# Installs the Debian 12 packages Coffernote needs, when any is missing:
#   install-deps.sh program   what building the program alone needs (scripts/start.sh)
#   install-deps.sh [test]    that, and what the test suite needs (scripts/test.sh, the default)
#   install-deps.sh package   that, and what the package test needs (scripts/package-test.sh)
set -euo pipefail

program=(g++ cmake ninja-build pkg-config qt6-base-dev libgl-dev libssl-dev libsodium-dev)
case "${1:-test}" in
program) packages=("${program[@]}") ;;
# desktop-file-utils and appstream validate the desktop entry and the AppStream file in the suite; Xvfb, openbox,
# xdotool and xprop (x11-utils) run the program under a real window manager to check where its prompts stand;
# strace stops a save at a chosen system call in the fault scripts (scripts/test-deep.sh); syncthing (with curl
# and jq for its REST API) keeps two data folders in step in scripts/fault/syncthing-two-computers.sh.
test) packages=("${program[@]}" libgtest-dev libgmock-dev desktop-file-utils appstream xvfb xauth openbox xdotool
    x11-utils strace syncthing curl jq) ;;
# xvfb and xauth (for xvfb-run) let the package test start the installed program without a desktop; lintian,
# appstream and desktop-file-utils check the package and the menu entries as the archive would.
package) packages=("${program[@]}" xvfb xauth lintian appstream desktop-file-utils) ;;
*) echo "usage: $0 [program|test|package]" >&2; exit 2 ;;
esac

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
