#!/usr/bin/env bash
# Draws the main window's button pictures and the program icon with ImageMagick. Each
# button has a normal picture and a brighter one for the hover state.
# Run from anywhere: resources/tools/make_button_icons.sh
set -euo pipefail
out="$(cd "$(dirname "$0")/.." && pwd)"
png="$out/PNG"
mkdir -p "$png" "$out/ICON"

draw() {  # name size draw-arguments...
    local name=$1 size=$2
    shift 2
    convert -size "${size}x${size}" xc:none "$@" -strip "PNG32:$png/$name.png"
    convert "$png/$name.png" -modulate 125,130 -strip "PNG32:$png/${name}_HOT.png"
}

folder=(-fill '#e3b341' -stroke '#8a6414' -strokewidth 1
        -draw 'path "M 2.5,6.5 L 9.5,6.5 L 11.5,8.5 L 21.5,8.5 L 21.5,20.5 L 2.5,20.5 Z"')
plus=(-fill '#2f9e44' -stroke '#1b5e20' -strokewidth 1
      -draw 'path "M 15.5,10.5 L 18.5,10.5 L 18.5,13.5 L 21.5,13.5 L 21.5,16.5 L 18.5,16.5 L 18.5,19.5 L 15.5,19.5 L 15.5,16.5 L 12.5,16.5 L 12.5,13.5 L 15.5,13.5 Z"')
page=(-fill '#ffffff' -stroke '#5c6b80' -strokewidth 1
      -draw 'path "M 4.5,2.5 L 13.5,2.5 L 18.5,7.5 L 18.5,21.5 L 4.5,21.5 Z"'
      -draw 'line 7,10 15,10' -draw 'line 7,13 12,13')

draw BTN_ADD_FOLDER 24 "${folder[@]}" "${plus[@]}"
draw BTN_ADD_FILES 24 "${page[@]}" "${plus[@]}"
draw BTN_MOVE_UP 24 -fill '#3b6fd1' -stroke '#1c3d7a' -strokewidth 1 \
    -draw 'path "M 12,3 L 21,12.5 L 15.5,12.5 L 15.5,21 L 8.5,21 L 8.5,12.5 L 3,12.5 Z"'
draw BTN_MOVE_DOWN 24 -fill '#3b6fd1' -stroke '#1c3d7a' -strokewidth 1 \
    -draw 'path "M 12,21 L 21,11.5 L 15.5,11.5 L 15.5,3 L 8.5,3 L 8.5,11.5 L 3,11.5 Z"'
draw BTN_REMOVE_ITEM 24 "${page[@]}" -fill '#d63a3a' -stroke '#7a1414' -strokewidth 1 \
    -draw 'rectangle 11.5,13.5 22.5,17.5'
draw BTN_REMOVE_ALL 24 -fill '#ffffff' -stroke '#5c6b80' -strokewidth 1 \
    -draw 'rectangle 2.5,3.5 15.5,7.5' -draw 'rectangle 2.5,9.5 15.5,13.5' \
    -draw 'rectangle 2.5,15.5 15.5,19.5' -stroke '#c62828' -strokewidth 3 \
    -draw 'line 13,10 21,20' -draw 'line 21,10 13,20'
draw BTN_TAKEOVER 16 -fill '#3b6fd1' -stroke '#1c3d7a' -strokewidth 1 \
    -draw 'path "M 8,14.5 L 14.5,8 L 10.5,8 L 10.5,1.5 L 5.5,1.5 L 5.5,8 L 1.5,8 Z"'
draw BTN_SAVE_LOCATION 24 "${folder[@]}"
draw BTN_CREATE_PLAYLIST 16 -fill '#ffffff' -stroke '#5c6b80' -strokewidth 1 \
    -draw 'path "M 2.5,1.5 L 10.5,1.5 L 13.5,4.5 L 13.5,14.5 L 2.5,14.5 Z"' \
    -fill '#3b6fd1' -stroke none -draw 'circle 6,11 8,11' -draw 'rectangle 7,5 8,11' \
    -draw 'rectangle 7,5 11,6'

# The program icon: a blue disc with a white note.
convert -size 64x64 xc:none -fill '#2f5fb8' -stroke '#173a7a' -strokewidth 2 \
    -draw 'circle 32,32 32,3' -fill '#ffffff' -stroke none \
    -draw 'ellipse 25,43 8,6 0,360' -draw 'rectangle 30,15 34,43' \
    -draw 'path "M 34,15 L 46,21 L 46,27 L 34,22 Z"' -strip "PNG32:$out/ICON/TRACKLACE.png"
