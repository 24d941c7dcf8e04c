#!/usr/bin/env bash
# Builds Coffernote with its tests and runs the whole suite (widget tests use the offscreen platform).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${COFFERNOTE_BUILD_DIR:-$here/build}"
# Warnings fail this build, so none creeps in unseen.
bash "$here/scripts/build.sh" -DCOFFERNOTE_WERROR=ON
cd "$build"
QT_QPA_PLATFORM=offscreen bash "$here/scripts/ctest-checked.sh" -j "${COFFERNOTE_JOBS:-$(nproc)}"
