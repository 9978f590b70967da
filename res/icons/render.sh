#!/usr/bin/env bash
# Renders the committed PNG icons from kelvara.svg; run after editing the SVG.
# Needs rsvg-convert (Debian package librsvg2-bin). The build uses the PNGs
# as committed, so it does not need the renderer.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"

for size in 16 24 32 48 64 128 256; do
    rsvg-convert --width "$size" --height "$size" kelvara.svg --output "kelvara-$size.png"
done
