#!/usr/bin/env bash
# Draws the main window's toolbar pictures with ImageMagick: the band's background and a
# 24 x 24 picture per button, each with a brighter one for the hover state.
# Run from anywhere: resources/tools/make_toolbar_pictures.sh
set -euo pipefail
png="$(cd "$(dirname "$0")/.." && pwd)/PNG"
mkdir -p "$png"

draw() {  # name draw-arguments...
    local name=$1
    shift
    convert -size 24x24 xc:none "$@" -strip "PNG32:$png/$name.png"
    convert "$png/$name.png" -modulate 120,130 -strip "PNG32:$png/${name}_HOT.png"
}

# A cog: a toothed ring around a hole.
draw TOOLBAR_SETTINGS -fill '#6b7a90' -stroke '#39424f' -strokewidth 1 \
    -draw 'path "M 10.5,1.5 L 13.5,1.5 L 14.2,4.6 L 16.6,5.6 L 19.3,3.9 L 21.4,6 L 19.7,8.7 L 20.7,11.1 L 22.5,11.5 L 22.5,13.5 L 20.7,13.9 L 19.7,16.3 L 21.4,19 L 19.3,21.1 L 16.6,19.4 L 14.2,20.4 L 13.5,22.5 L 10.5,22.5 L 9.8,20.4 L 7.4,19.4 L 4.7,21.1 L 2.6,19 L 4.3,16.3 L 3.3,13.9 L 1.5,13.5 L 1.5,11.5 L 3.3,11.1 L 4.3,8.7 L 2.6,6 L 4.7,3.9 L 7.4,5.6 L 9.8,4.6 Z"' \
    -fill '#f4f6f9' -draw 'circle 12,12.5 12,16'
# A blue disc with a question mark.
draw TOOLBAR_HELP -fill '#3b6fd1' -stroke '#1c3d7a' -strokewidth 1 -draw 'circle 12,12 12,1.5' \
    -fill '#ffffff' -stroke none -font DejaVu-Sans-Bold -pointsize 17 -gravity center \
    -annotate +0+1 '?'
# A green disc with a lower-case i.
draw TOOLBAR_ABOUT -fill '#2f9e44' -stroke '#1b5e20' -strokewidth 1 -draw 'circle 12,12 12,1.5' \
    -fill '#ffffff' -stroke none -draw 'circle 12,6.8 12,5.2' -draw 'rectangle 10.6,9.5 13.4,18.5'
# The band: a light vertical gradient with a faint lower edge.
convert -size 640x36 gradient:'#fbfcfe'-'#dde4ef' -fill '#c5cfde' -draw 'line 0,35 639,35' \
    -strip "PNG32:$png/TOOLBAR_BACKGROUND.png"
