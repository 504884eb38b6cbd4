#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when missing.
# Usage: packages.sh build|test
set -euo pipefail
build_pkgs=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-svg-dev qt6-image-formats-plugins
            libjpeg62-turbo-dev libpng-dev libtiff-dev zlib1g-dev libimagequant-dev
            libsane-dev
            qt6-multimedia-dev gstreamer1.0-plugins-base gstreamer1.0-plugins-good
            gstreamer1.0-plugins-bad gstreamer1.0-plugins-ugly gstreamer1.0-libav
            fluid-soundfont-gm)
test_pkgs=(libgtest-dev libgmock-dev imagemagick netpbm libjpeg-turbo-progs libtiff-tools
           xvfb xauth openbox poppler-utils desktop-file-utils appstream man-db bsdextrautils
           shared-mime-info dpkg-dev file sane-utils
           ffmpeg sox)
pkgs=("${build_pkgs[@]}")
[ "${1:-build}" = test ] && pkgs+=("${test_pkgs[@]}")

missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "Need root (or sudo) to install: ${missing[*]}" >&2; exit 1; }
  SUDO=sudo
fi
echo "Installing: ${missing[*]}"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
