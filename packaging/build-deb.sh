#!/usr/bin/env bash
# Builds the Debian package tracklace_<version>_<arch>.deb in the current folder from a
# release build of its own (build/deb below the source tree unless BUILD_DIR says otherwise),
# hardened with the flags dpkg-buildflags gives, and checks it with lintian.
# Install it with: sudo apt-get install ./tracklace_*.deb
set -euo pipefail

source_dir=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${BUILD_DIR:-$source_dir/build/deb}
jobs=${JOBS:-2}
output_dir=$(pwd)

# A fresh machine has none of the tools yet.
"$source_dir/scripts/setup.sh"

# Debian's hardening: stack protector, format checks and fortified functions from the
# compiler flags (CMake reads no CPPFLAGS, so they go with the compiler flags), full RELRO
# and immediate binding from the linker flags. dpkg-buildflags maps the build path away
# relative to the folder it is run in.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cd "$source_dir"
cppflags=$(dpkg-buildflags --get CPPFLAGS)
cflags="$(dpkg-buildflags --get CFLAGS) $cppflags"
cxxflags="$(dpkg-buildflags --get CXXFLAGS) $cppflags"
ldflags=$(dpkg-buildflags --get LDFLAGS)

cmake -S "$source_dir" -B "$build_dir" -G Ninja \
  -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX=/usr \
  -DCMAKE_C_FLAGS="$cflags" \
  -DCMAKE_CXX_FLAGS="$cxxflags" \
  -DCMAKE_EXE_LINKER_FLAGS="$ldflags" \
  -DCMAKE_SHARED_LINKER_FLAGS="$ldflags" \
  -DTRACKLACE_BUILD_TESTS=OFF \
  -DTRACKLACE_BUILD_BENCH=OFF
cmake --build "$build_dir" -j "$jobs"
rm -f "$build_dir"/tracklace_*.deb
(cd "$build_dir" && cpack -G DEB)
cd "$output_dir"
cp "$build_dir"/tracklace_*.deb "$output_dir"/
ls -l "$output_dir"/tracklace_*.deb
# Any error or warning fails the build; notes (I:) are shown but allowed.
lintian --fail-on error,warning "$output_dir"/tracklace_*.deb
