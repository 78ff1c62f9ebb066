#!/usr/bin/env bash
# Makes the program's Windows icon (16 to 256 pixels) from its SVG: make-icon.sh SVG ICO.
# Needs rsvg-convert (librsvg2-bin) and icotool (icoutils).
set -euo pipefail
svg=$1
ico=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
pngs=()
for size in 16 24 32 48 64 256; do
  rsvg-convert -w "$size" -h "$size" "$svg" -o "$work/$size.png"
  pngs+=("$work/$size.png")
done
icotool -c -o "$ico" "${pngs[@]}"
