#!/usr/bin/env bash
# Builds Coffernote, installs it into its own folder and starts it from there. The program keeps its data
# files next to its executable, so it never runs from the build folder, where a clean build would delete them.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${COFFERNOTE_BUILD_DIR:-$here/build}"
home="${COFFERNOTE_HOME:-$HOME/Coffernote}"
bash "$here/scripts/build.sh"
mkdir -p "$home"
install -m 0755 "$build/src/coffernote" "$home/coffernote.new"
mv -f "$home/coffernote.new" "$home/coffernote"
echo "Starting $home/coffernote"
exec "$home/coffernote"
