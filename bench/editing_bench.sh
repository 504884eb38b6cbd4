#!/usr/bin/env bash
# Whole-process filter speed: vistrel-cli against vips and ImageMagick on the
# same 24-megapixel BMP, each reading and writing BMP.
# Usage: bench/editing_bench.sh path/to/vistrel-cli [out-folder] [--with-im-median]
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

# Mean removal at 4: −1 around, 13 in the centre, divisor 5.
printf '3 3 5 0\n-1 -1 -1\n-1 13 -1\n-1 -1 -1\n' > meanremoval.mat

hyperfine --warmup 1 --runs 5 \
  -n "vistrel mean-removal 4" "$cli convert big.bmp o1.bmp --mean-removal 4" \
  -n "vips conv (same kernel)" "vips conv big.bmp o2.bmp meanremoval.mat --precision integer" \
  -n "magick -morphology Convolve" "convert big.bmp -define convolve:scale=0.2 -morphology Convolve '3x3:-1,-1,-1,-1,13,-1,-1,-1,-1' o3.bmp" \
  -n "vistrel defocus 1" "$cli convert big.bmp o4.bmp --defocus 1" \
  -n "vistrel gaussian 192" "$cli convert big.bmp o5.bmp --gaussian 192" \
  -n "vistrel outlier 255" "$cli convert big.bmp o6.bmp --outlier 255"

hyperfine --warmup 1 --runs 5 \
  -n "vistrel despeckle 9 (7x7)" "$cli convert big.bmp o7.bmp --despeckle 9" \
  -n "vips rank 7 7 24" "vips rank big.bmp o8.bmp 7 7 24"

if [ "${3:-}" = --with-im-median ]; then
  hyperfine --runs 1 -n "magick -statistic Median 7x7" "convert big.bmp -statistic Median 7x7 o9.bmp"
fi
