#!/usr/bin/env bash
# Colour-reduction quality against pngquant and ImageMagick: mean CIE76 colour
# difference of a slightly blurred difference (vistrel_delta_e), lower is better.
# Usage: bench/reduce_quality.sh BUILD_DIR [out-folder] [pictures...]
# BUILD_DIR must hold src/vistrel-cli and bench/vistrel_delta_e (VISTREL_BUILD_BENCH=ON).
set -eu
build=$(cd "${1:?build folder}" && pwd)
out=${2:-${TMPDIR:-/tmp}/vistrel-quality}
shift $(( $# >= 2 ? 2 : $# ))
cli=$build/src/vistrel-cli
de=$build/bench/vistrel_delta_e
here=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$out"
cd "$out"

# Default pictures: the sample, a plasma fractal, ImageMagick's rose photograph.
if [ $# -eq 0 ]; then
  convert "$here/resources/sample.jpg" -type TrueColor PNG24:sample.png
  [ -s plasma.png ] || convert -size 1024x768 plasma:fractal -seed 5 PNG24:plasma.png
  convert rose: -filter Lanczos -resize 800% PNG24:rose.png
  set -- sample.png plasma.png rose.png
fi

# The fixed 256-colour palette (6 × 6 × 6 cube and 40 grays) for -remap.
{
  echo "P3 256 1 255"
  for r in 0 51 102 153 204 255; do for g in 0 51 102 153 204 255; do for b in 0 51 102 153 204 255; do
    echo "$r $g $b"; done; done; done
  for k in $(seq 1 45); do
    [ $((k % 9)) -eq 0 ] && continue
    v=$(( (k * 255 + 22) / 45 )); echo "$v $v $v"
  done
} > fixed256.ppm

printf "%-12s %9s %9s %9s %9s %9s\n" picture pngquant method3 mode4 method1 im-remap
for pic in "$@"; do
  base=$(basename "$pic" .png)
  pngquant --force --output "$base.pq.png" "$pic"
  "$cli" convert "$pic" "$base.m3.png" --reduce 256:3
  "$cli" convert "$pic" "$base.m2.png" --reduce 256:2
  "$cli" convert "$pic" "$base.m1.png" --reduce 256:1
  convert "$pic" -dither FloydSteinberg -remap fixed256.ppm "PNG24:$base.im.png"
  printf "%-12s %9s %9s %9s %9s %9s\n" "$base" \
    "$("$de" "$pic" "$base.pq.png")" "$("$de" "$pic" "$base.m3.png")" \
    "$("$de" "$pic" "$base.m2.png")" "$("$de" "$pic" "$base.m1.png")" \
    "$("$de" "$pic" "$base.im.png")"
done
