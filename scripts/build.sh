#!/usr/bin/env bash
# Configures and builds out of tree into build/ (or $COFFERNOTE_BUILD_DIR).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${COFFERNOTE_BUILD_DIR:-$here/build}"
bash "$here/scripts/install-deps.sh"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$build" -j "${COFFERNOTE_JOBS:-$(nproc)}"
