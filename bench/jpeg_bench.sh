#!/usr/bin/env bash
# JPEG decode speed and memory: vistrel-cli against djpeg on a generated
# 24-megapixel picture. Usage: bench/jpeg_bench.sh path/to/vistrel-cli [out-folder]
set -eu
cli=${1:?path of vistrel-cli}
out=${2:-${TMPDIR:-/tmp}/vistrel-bench}
mkdir -p "$out"
cli=$(cd "$(dirname "$cli")" && pwd)/$(basename "$cli")
cd "$out"

# Generated once and kept: ImageMagick needs several seconds for it.
if [ ! -s big.jpg ]; then
  convert -size 6000x4000 plasma:fractal -seed 11 -quality 90 -sampling-factor 2x2 big.jpg
fi

# The viewer decodes 24-bit output with the fast integer IDCT; djpeg's default
# is the accurate one, so both djpeg variants are shown.
hyperfine --warmup 2 --runs 10 \
  -n "vistrel-cli convert" "$cli convert big.jpg out.bmp" \
  -n "djpeg -bmp (islow)" "djpeg -bmp -outfile out2.bmp big.jpg" \
  -n "djpeg -dct fast -bmp" "djpeg -dct fast -bmp -outfile out3.bmp big.jpg" \
  -n "vistrel-cli box 640x480" "$cli convert big.jpg small.bmp --decode-box 640x480"

# Peak memory: the picture (72 MB at 24 bits) plus the file plus a few MB.
if ! [ -x /usr/bin/time ]; then
  echo "install GNU time (apt-get install -y time) for the memory figures" >&2
  exit 0
fi
for cmd in "$cli convert big.jpg out.bmp" "djpeg -bmp -outfile out2.bmp big.jpg"; do
  kb=$(/usr/bin/time -v $cmd 2>&1 >/dev/null | awk -F: '/Maximum resident/ {gsub(/ /, "", $2); print $2}')
  echo "peak RSS ${kb} kB: $cmd"
done
