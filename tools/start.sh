#!/usr/bin/env bash
# Sets up what is missing, builds, and starts the program on the sample picture.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/packages.sh build
cmake -S . -B build -G Ninja -DVISTREL_BUILD_TESTS=OFF >/dev/null
ninja -C build vistrel vistrel-cli
sample=resources/sample.jpg
build/src/vistrel-cli info "$sample"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec build/src/vistrel "$sample"
fi
echo "(no display: the window was not started; run build/src/vistrel $sample on a desktop)"
