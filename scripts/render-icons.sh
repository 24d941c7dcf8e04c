#!/usr/bin/env bash
# Renders the PNG icons of 32 pixels and more from the SVG. Run it after changing the SVG and commit the PNGs; the
# build only copies them. The 16 and 24 pixel icons are drawn by hand, pixel by pixel (a smaller rendering blurs
# the keyhole and loses the rim on dark panels): mend them in a pixel editor when the picture changes.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
if ! command -v rsvg-convert >/dev/null; then
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get install -y -qq --no-install-recommends librsvg2-bin
fi
icons="$here/data/icons/hicolor"
for size in 32 48 64 128 256; do
    mkdir -p "$icons/${size}x${size}/apps"
    rsvg-convert -w "$size" -h "$size" -o "$icons/${size}x${size}/apps/coffernote.png" \
        "$icons/scalable/apps/coffernote.svg"
done
