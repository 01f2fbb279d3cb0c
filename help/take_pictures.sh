#!/usr/bin/env bash
# Takes the manuals' pictures anew from the running program, in English and German, under a
# virtual X display: take_pictures.sh <build folder configured with -DTRACKLACE_BUILD_BENCH=ON>.
# Needs the targets ui_main_screenshot and test_ui_settings_sheet built. Look at every picture
# before committing it.
set -euo pipefail
build=$(cd "${1:?usage: take_pictures.sh <build folder>}" && pwd)
images=$(cd "$(dirname "$0")" && pwd)/images
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
screen=(xvfb-run -a -s "-screen 0 1280x1024x24")

# The settings sheet's own test draws every page in both languages.
mkdir -p "$work/sheet" "$work/config"
XDG_CONFIG_HOME="$work/config" TRACKLACE_SHEET_SCREENSHOTS="$work/sheet" QT_QPA_PLATFORM=xcb \
  "${screen[@]}" "$build/bin/test_ui_settings_sheet" --gtest_filter='*Screenshots*' >/dev/null

for language in EN DE; do
  lower=$(echo "$language" | tr 'A-Z' 'a-z')
  # A first run chooses the language from the locale; the hive then gets the one wanted.
  mkdir -p "$work/$language/Wendmark"
  XDG_CONFIG_HOME="$work/$language" LANG=en_US.UTF-8 QT_QPA_PLATFORM=xcb \
    "${screen[@]}" "$build/bin/ui_main_screenshot" "$work/first.png" 2>/dev/null
  sed -i "s/\"Language\"=\"EN\"/\"Language\"=\"$language\"/" "$work/$language/Wendmark/HKEY_CURRENT_USER.reg"
  XDG_CONFIG_HOME="$work/$language" QT_QPA_PLATFORM=xcb \
    "${screen[@]}" "$build/bin/ui_main_screenshot" "$work/main.png" 2>/dev/null
  convert "$work/main.png" -strip -colors 192 "PNG8:$images/main_window_$language.png"
  for page in general playlist file_types mp3; do
    convert "$work/sheet/sheet_${lower}_$page.png" -strip -colors 128 \
      "PNG8:$images/settings_${page}_$language.png"
  done
done
ls -l "$images"
