#!/usr/bin/env bash
# Remakes the screenshots of the manual (resources/help/images) from the
# sample picture, small: the window at a reduced sample, quantised to PNG8.
# Usage: help_screenshots.sh [BUILD_DIR]   (needs xvfb-run and ImageMagick)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
out=resources/help/images
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
export XDG_RUNTIME_DIR=$tmp
# The bookmark box shows the picture's path: a short, steady one.
pictures=/tmp/Pictures
[ -e $pictures ] && { echo "$pictures is in the way" >&2; exit 1; }
mkdir $pictures
trap 'rm -rf "$tmp" $pictures' EXIT
convert resources/sample.jpg -resize 400x267 $pictures/dusk.jpg
shot() { # name, options...
  local name=$1
  shift
  xvfb-run -a "$build/src/vistrel" --screenshot "$tmp/$name.png" "$@" $pictures/dusk.jpg
  convert "$tmp/$name.png" -resize 80% -colors 160 "PNG8:$out/$name.png"
  echo "$out/$name.png: $(stat -c %s "$out/$name.png") bytes"
}
shot window --layout standard
shot compact --layout compact
# The Options dialog's pages, on the default settings.
export XDG_CONFIG_HOME=$tmp/config
for page in viewer slideshow; do
  xvfb-run -a "$build/src/vistrel" --screenshot-dialog "options:$page" "$tmp/options-$page.png"
  convert "$tmp/options-$page.png" -colors 64 "PNG8:$out/options-$page.png"
  echo "$out/options-$page.png: $(stat -c %s "$out/options-$page.png") bytes"
done
