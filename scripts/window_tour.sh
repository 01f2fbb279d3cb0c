#!/usr/bin/env bash
# Pictures of every window in English and German, light and dark, at 96 and 144 DPI and at
# a scale factor of 1.5, under a virtual display with the openbox window manager:
#   scripts/window_tour.sh <build folder> <picture folder>
# Needs the target tracklace_window_tour built, and xvfb, openbox and ImageMagick.
# Look at every picture.
set -euo pipefail
build=$(cd "${1:?usage: window_tour.sh <build folder> <picture folder>}" && pwd)
out=${2:?usage: window_tour.sh <build folder> <picture folder>}
mkdir -p "$out"
out=$(cd "$out" && pwd)
tour="$build/bin/tracklace_window_tour"

run() {  # <sub-folder> <language> <scheme> [environment ...]
  local folder="$out/$1" language=$2 scheme=$3
  shift 3
  mkdir -p "$folder"
  echo "== $folder"
  xvfb-run -a -s "-screen 0 1366x768x24 -dpi 96" bash -c '
    openbox >/dev/null 2>&1 &
    wm=$!
    sleep 1
    env QT_QPA_PLATFORM=xcb "$@"
    status=$?
    kill $wm
    exit $status' tour "$@" "$tour" "$language" "$scheme" "$folder"
}

for language in EN DE; do
  for scheme in light dark; do
    run "${language}_${scheme}_96dpi" "$language" "$scheme"
    run "${language}_${scheme}_144dpi" "$language" "$scheme" QT_FONT_DPI=144
  done
  run "${language}_light_scale1.5" "$language" light QT_SCALE_FACTOR=1.5
done
