#!/usr/bin/env bash
# Rotation by 30° and resampling to half size of a 24-megapixel BMP, whole
# processes reading and writing BMP: vistrel-cli against vips and ImageMagick.
# Usage: bench/transform_bench.sh path/to/vistrel-cli [out-folder]
set -eu
cli=${1:?path of vistrel-cli}
out=${2:-${TMPDIR:-/tmp}/vistrel-bench}
mkdir -p "$out"
cli=$(cd "$(dirname "$cli")" && pwd)/$(basename "$cli")
cd "$out"
if [ ! -s big.jpg ]; then
  convert -size 6000x4000 plasma:fractal -seed 11 -quality 90 -sampling-factor 2x2 big.jpg
fi
[ -s big.bmp ] || "$cli" convert big.jpg big.bmp

hyperfine --warmup 1 --runs 5 \
  -n "vistrel-cli --rotate 3000" "$cli convert big.bmp r1.bmp --rotate 3000" \
  -n "vips rotate 30" "vips rotate big.bmp r2.bmp 30" \
  -n "convert -rotate 30" "convert big.bmp -rotate 30 r3.bmp"
hyperfine --warmup 1 --runs 5 \
  -n "vistrel-cli --resample 3000x2000" "$cli convert big.bmp s1.bmp --resample 3000x2000" \
  -n "vips resize 0.5" "vips resize big.bmp s2.bmp 0.5" \
  -n "convert -resize 50%" "convert big.bmp -resize 50% s3.bmp"
