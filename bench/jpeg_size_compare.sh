#!/usr/bin/env bash
# Our JPEG encoder against cjpeg at equivalent settings: file sizes and the
# largest difference between the two decodes (djpeg, float IDCT).
#   bench/jpeg_size_compare.sh path/to/vistrel-cli [out-folder]
# The linear scale S maps to cjpeg's quality q as S = 5000/q below 50 and
# 200 - 2q from 50 up: scales 2, 20, 50, 100, 200 are qualities 99, 90, 75, 50, 25.
set -eu
cli=${1:?path to vistrel-cli}
out=${2:-${TMPDIR:-/tmp}/vistrel-jpeg-compare}
mkdir -p "$out"
cd "$out"
[ -f plasma.ppm ] || convert -seed 11 -size 1600x1200 plasma:fractal -depth 8 plasma.ppm
[ -f photo.ppm ] || convert -seed 5 -size 1600x1200 plasma:fractal -blur 0x3 \
  \( -size 1600x1200 xc: +noise Gaussian -colorspace gray \) -compose overlay -composite \
  -depth 8 photo.ppm
# Our tool reads the same pixels from a PNG.
for pic in plasma photo; do [ -f $pic.png ] || convert $pic.ppm $pic.png; done

maxdiff() { # largest channel difference of two decodes
  djpeg -dct float -pnm "$1" > a.pnm
  djpeg -dct float -pnm "$2" > b.pnm
  compare -metric PAE a.pnm b.pnm null: 2>&1 | sed 's/ .*//' | awk '{printf "%d", $1/257 + 0.5}'
}

printf '| picture | scale | quality | options | ours (bytes) | cjpeg (bytes) | diff %% | max level diff |\n'
printf '|---|---|---|---|---|---|---|---|\n'
for pic in plasma photo; do
  for pair in 2:99 20:90 50:75 100:50 200:25; do
    s=${pair%%:*}; q=${pair##*:}
    for opt in "" "--progressive" "gray"; do
      cflags="-quality $q -optimize -dct float"
      oflags="--scale $s"
      case "$opt" in
        --progressive) cflags="$cflags -sample 1x1 -progressive"; oflags="$oflags --progressive" ;;
        gray) cflags="$cflags -grayscale"; oflags="$oflags --jpeg-gray" ;;
        *) cflags="$cflags -sample 1x1" ;;
      esac
      # shellcheck disable=SC2086
      "$cli" jpeg "$pic.png" ours.jpg $oflags
      # shellcheck disable=SC2086
      cjpeg $cflags -outfile theirs.jpg "$pic.ppm"
      a=$(stat -c %s ours.jpg); b=$(stat -c %s theirs.jpg)
      d=$(awk -v a="$a" -v b="$b" 'BEGIN{printf "%+.2f", (a-b)*100/b}')
      printf '| %s | %s | %s | %s | %s | %s | %s | %s |\n' "$pic" "$s" "$q" "${opt:-baseline}" "$a" "$b" "$d" "$(maxdiff ours.jpg theirs.jpg)"
    done
  done
done
