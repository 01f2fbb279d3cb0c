#!/usr/bin/env bash
# Installs every Debian package that building, testing and running Tracklace needs.
# Does nothing when all of them are present already.
set -euo pipefail

packages=(
  # toolchain
  cmake g++ ninja-build pkg-config
  # tests and benchmarks
  libgtest-dev googletest libgmock-dev libbenchmark-dev
  # encoders that make the audio files of the tag reader's tests, fuzzing and benchmark
  flac vorbis-tools opus-tools speex ffmpeg musepack-tools
  # user interface
  qt6-base-dev qt6-base-dev-tools libgl-dev
  # Qt's own dialogs in the program's languages
  qt6-translations-l10n
  # ID3 tags and MPEG headers
  libtag1-dev
  # compressed ID3v2 frames in the generated test files
  zlib1g-dev
  # reading and writing playlists: XML (XSPF) and file URIs
  libpugixml-dev liburiparser-dev
  # event sounds
  libcanberra-dev
  # MIDI music of the about box (ALSA only to quiet its error printer)
  libfluidsynth-dev libasound2-dev timgm6mb-soundfont
  # running the window without a display, screenshots, desktop file checks
  xvfb xauth imagemagick desktop-file-utils appstream
  # manual pages: made from their sources, compressed, checked as man shows them
  python3 gzip man-db groff-base
  # the Debian package: hardening flags and its check
  dpkg-dev lintian
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}" >&2
if [ "$(id -u)" -eq 0 ]; then
  sudo=()
else
  sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
"${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
