#!/usr/bin/env bash
# make-icon.sh OUT.ico
# Draws the product's icon (a teal tile with a white "T" under a rising sun) at 256 pixels and
# writes it as a Windows icon holding 16, 32, 48 and 256 pixel images. Needs ImageMagick.
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: make-icon.sh OUT.ico" >&2; exit 2; }
out=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The tile: a rounded square with a vertical teal gradient, masked to its rounded shape.
convert -size 256x256 gradient:'#2bb3c0-#0f4c6b' "$work/gradient.png"
convert -size 256x256 xc:none -fill white -draw 'roundrectangle 8,8 247,247 44,44' "$work/mask.png"
convert "$work/gradient.png" "$work/mask.png" -alpha off -compose CopyOpacity -composite \
  "$work/tile.png"

# The sun behind the letter, a band of waves below it, and the letter "T" drawn as two bars.
convert "$work/tile.png" \
  -fill '#ffc93c' -draw 'circle 184,78 184,40' \
  -fill none -stroke '#8fe3ec' -strokewidth 10 \
  -draw 'path "M 30,206 Q 62,186 94,206 T 158,206 T 222,206"' \
  -stroke none -fill white \
  -draw 'roundrectangle 52,52 188,84 10,10' \
  -draw 'roundrectangle 104,52 136,196 10,10' \
  "$work/master.png"

# Each size is resampled from the master; the 256 pixel image is stored as PNG by the writer.
convert "$work/master.png" -depth 8 -define icon:auto-resize=256,48,32,16 "$out"
