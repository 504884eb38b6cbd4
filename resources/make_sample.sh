#!/usr/bin/env bash
# Renders the bundled sample picture (a landscape at dusk) with ImageMagick.
# Run once; the result is committed as sample.jpg.
set -euo pipefail
out=${1:-sample.jpg}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
W=960 H=640
convert -size ${W}x420 gradient:'#1d2b64'-'#f8b26a' "$tmp/sky.png"
convert -size ${W}x220 gradient:'#2a4a6b'-'#0e1a2b' "$tmp/water.png"
convert "$tmp/sky.png" "$tmp/water.png" -append "$tmp/base.png"
# Sun with a soft glow.
convert "$tmp/base.png" \
  \( -size ${W}x${H} xc:none -fill '#ffe9a8' -draw "circle 600,250 600,196" -blur 0x22 \) -composite \
  -fill '#fff4d0' -draw "circle 600,250 600,222" "$tmp/sun.png"
# Two mountain ranges textured with plasma.
convert -size ${W}x${H} -seed 7 plasma:fractal -colorspace gray +level-colors '#241b33','#6a5a78' "$tmp/rock1.png"
convert -size ${W}x${H} xc:black -fill white \
  -draw "polygon 0,420 0,300 120,230 210,290 330,180 450,300 520,260 610,330 700,250 820,320 960,240 960,420" \
  "$tmp/mask1.png"
convert -size ${W}x${H} -seed 9 plasma:fractal -colorspace gray +level-colors '#0c1712','#3a5a40' "$tmp/rock2.png"
convert -size ${W}x${H} xc:black -fill white \
  -draw "polygon 0,420 0,360 90,330 180,370 300,320 420,380 560,340 700,390 840,350 960,380 960,420" \
  "$tmp/mask2.png"
convert "$tmp/sun.png" "$tmp/rock1.png" "$tmp/mask1.png" -composite \
  "$tmp/rock2.png" "$tmp/mask2.png" -composite "$tmp/land.png"
# Reflection in the lake: the upper part flipped, darkened and rippled.
convert "$tmp/land.png" -crop ${W}x420+0+0 +repage -flip -resize ${W}x220\! \
  -brightness-contrast -35x-10 -virtual-pixel edge -motion-blur 0x6+0 "$tmp/refl.png"
convert "$tmp/land.png" "$tmp/refl.png" -geometry +0+420 -composite \
  -attenuate 0.4 +noise Gaussian -quality 88 -sampling-factor 2x2 "$out"
