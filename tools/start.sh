#!/usr/bin/env bash
# Sets up what is missing, builds, and starts the program on the sample picture.
# Without a display it says so and saves a screenshot of the window instead.
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
shot=$PWD/build/sample-window.png
echo "No display: the window cannot be shown here. Writing a screenshot of it instead."
XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)} QT_QPA_PLATFORM=offscreen \
  build/src/vistrel --screenshot "$shot" "$sample"
echo "Screenshot of the window with $sample: $shot"
