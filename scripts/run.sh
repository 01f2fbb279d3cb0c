#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds the program and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
cmake --preset release
cmake --build --preset release -j "$(nproc)"
program=build/release/bin/tracklace
if [ ! -x "$program" ]; then
  echo "Tracklace has no window yet: the libraries are built, the program is not." >&2
  exit 0
fi
exec "$program" "$@"
