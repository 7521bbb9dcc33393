#!/usr/bin/env bash
# Renders the hicolor PNG icons from quillet.svg. The PNGs are kept in the
# repository, so building Quillet needs no SVG renderer; run this by hand
# (rsvg-convert, Debian package librsvg2-bin) after changing the SVG.
set -euo pipefail
cd "$(dirname "$0")"
for size in 16 22 24 32 48 64 128 256; do
  mkdir -p "hicolor/${size}x${size}"
  rsvg-convert --width "$size" --height "$size" --keep-aspect-ratio quillet.svg \
    --output "hicolor/${size}x${size}/quillet.png"
done
