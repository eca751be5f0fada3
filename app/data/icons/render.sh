#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Renders the PNG sizes of the program's icon from its SVG drawing. The PNGs are kept in the
# source tree, so building needs no SVG renderer; run this after changing the drawing
# (apt-get install librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")/hicolor"
svg=scalable/apps/org.kelvane.Kelvane.svg
for size in 16 22 24 32 48 64 128 256; do
    mkdir -p "${size}x${size}/apps"
    rsvg-convert -w "$size" -h "$size" "$svg" -o "${size}x${size}/apps/org.kelvane.Kelvane.png"
done
