#!/usr/bin/env bash
# Builds the Debian package tracklace_<version>_<arch>.deb in the current folder from a
# release build of its own (build/deb below the source tree unless BUILD_DIR says otherwise).
# Install it with: sudo apt-get install ./tracklace_*.deb
set -euo pipefail

source_dir=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${BUILD_DIR:-$source_dir/build/deb}
jobs=${JOBS:-2}
output_dir=$(pwd)

cmake -S "$source_dir" -B "$build_dir" -G Ninja \
  -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX=/usr \
  -DTRACKLACE_BUILD_TESTS=OFF \
  -DTRACKLACE_BUILD_BENCH=OFF
cmake --build "$build_dir" -j "$jobs"
(cd "$build_dir" && cpack -G DEB)
cp "$build_dir"/tracklace_*.deb "$output_dir"/
ls -l "$output_dir"/tracklace_*.deb
