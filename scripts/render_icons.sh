#!/usr/bin/env bash
# Renders the program icon (resources/icons/org.quillmar.Quillmar.svg) to the PNG sizes that are installed
# beside it. Run after changing the drawing; needs rsvg-convert (Debian package librsvg2-bin).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/../resources/icons"
for size in 16 22 24 32 48 64 128 256; do
    mkdir -p "hicolor/${size}x${size}/apps"
    rsvg-convert -w "$size" -h "$size" org.quillmar.Quillmar.svg -o "hicolor/${size}x${size}/apps/org.quillmar.Quillmar.png"
done
