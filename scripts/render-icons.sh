#!/usr/bin/env bash
# Renders the PNG icons from the SVG. Run it after changing the SVG and commit the PNGs; the build only copies them.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
if ! command -v rsvg-convert >/dev/null; then
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get install -y -qq --no-install-recommends librsvg2-bin
fi
icons="$here/data/icons/hicolor"
for size in 16 24 32 48 64 128 256; do
    mkdir -p "$icons/${size}x${size}/apps"
    rsvg-convert -w "$size" -h "$size" -o "$icons/${size}x${size}/apps/coffernote.png" \
        "$icons/scalable/apps/coffernote.svg"
done
