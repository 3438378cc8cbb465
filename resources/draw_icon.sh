#!/usr/bin/env bash
# Draws the product icon (orbivue.ico: 48, 32 and 16 pixels) with ImageMagick:
# a blue planet crossed by an orange orbit with a satellite on it.
set -euo pipefail
cd "$(dirname "$0")"
convert -size 256x256 xc:none \
  -fill '#1d4f91' -stroke '#0b2a55' -strokewidth 8 -draw 'circle 128,128 128,40' \
  -fill none -stroke '#5fa8e8' -strokewidth 10 -draw 'arc 60,60 196,196 200,290' \
  -fill none -stroke '#f39a1e' -strokewidth 16 -draw 'ellipse 128,128 120,44 0,360' \
  -fill '#f39a1e' -stroke '#ffffff' -strokewidth 6 -draw 'circle 214,104 214,82' \
  -define icon:auto-resize=48,32,16 orbivue.ico
