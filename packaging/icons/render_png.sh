#!/usr/bin/env bash
# Draws the PNG icons from the same geometry as tracklace.svg with ImageMagick's own drawing
# primitives (the ImageMagick of the build machine has no SVG reader). The gradients of the
# SVG become their middle colours. Run it after changing the SVG and commit the pictures.
set -euo pipefail
cd "$(dirname "$0")"
convert -size 512x512 xc:none \
  -fill '#eef2f9' -stroke '#5a6a88' -strokewidth 12 -draw 'roundrectangle 56,40 376,456 32,32' \
  -stroke none -fill '#8fa0bf' \
  -draw 'roundrectangle 104,104 136,136 8,8' -draw 'roundrectangle 160,108 328,132 12,12' \
  -draw 'roundrectangle 104,176 136,208 8,8' -draw 'roundrectangle 160,180 304,204 12,12' \
  -fill '#d0daed' -draw 'roundrectangle 88,232 344,296 16,16' \
  -fill '#1f3f8f' \
  -draw 'roundrectangle 104,248 136,280 8,8' -draw 'roundrectangle 160,252 320,276 12,12' \
  -fill none -stroke '#3760b3' -strokewidth 28 -draw 'stroke-linecap round stroke-linejoin round polyline 336,160 456,128 456,368' \
  -draw 'stroke-linecap round line 336,160 336,400' \
  -stroke none -fill '#3760b3' \
  -draw 'translate 292,408 rotate -20 ellipse 0,0 52,40 0,360' \
  -draw 'translate 412,376 rotate -20 ellipse 0,0 52,40 0,360' \
  tracklace-512.png
for size in 48 128 256; do
  convert tracklace-512.png -resize ${size}x${size} -depth 8 -strip tracklace-${size}.png
done
rm tracklace-512.png
