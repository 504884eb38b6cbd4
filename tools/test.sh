#!/usr/bin/env bash
# Sets up what is missing, builds everything and runs all tests; then builds
# the core and the headless tool with AddressSanitizer and UndefinedBehavior-
# Sanitizer and runs their tests again (VISTREL_SKIP_SANITIZE=1 skips that).
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/packages.sh test
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR=$(mktemp -d)
jobs=$(nproc)

# Every test, whatever an earlier configure of build/ chose (start.sh turns
# the tests off there): the options are set here, and finding no tests fails.
cmake -S . -B build -G Ninja -DVISTREL_BUILD_TESTS=ON -DVISTREL_BUILD_GUI=ON \
      -DVISTREL_BUILD_FUZZ=OFF -DVISTREL_SANITIZE=OFF >/dev/null
ninja -C build -j"$jobs"
ctest --test-dir build --output-on-failure --no-tests=error -j"$jobs"

if [ "${VISTREL_SKIP_SANITIZE:-0}" != 1 ]; then
  cmake -S . -B build-asan -G Ninja -DVISTREL_SANITIZE=ON -DVISTREL_BUILD_GUI=OFF \
        -DVISTREL_BUILD_TESTS=ON -DVISTREL_BUILD_FUZZ=OFF -DCMAKE_BUILD_TYPE=Debug >/dev/null
  ninja -C build-asan -j"$jobs"
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build-asan --output-on-failure --no-tests=error -j"$jobs" -L 'core|cli'
fi
