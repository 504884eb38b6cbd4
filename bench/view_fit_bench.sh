#!/usr/bin/env bash
# Opening a 24-megapixel JPEG fitted to the window until it is painted:
# `vistrel --screenshot --fit big.jpg` minus the same on a tiny JPEG (the
# program's start and the screenshot), against `djpeg -scale 1/4` on the
# same file. Target: at most 1.5 × djpeg's time + 150 ms.
# Usage: bench/view_fit_bench.sh path/to/vistrel [out-folder]
set -eu
app=${1:?path of vistrel}
out=${2:-${TMPDIR:-/tmp}/vistrel-bench}
mkdir -p "$out"
app=$(cd "$(dirname "$app")" && pwd)/$(basename "$app")
cd "$out"
if [ ! -s big.jpg ]; then
  convert -size 6000x4000 plasma:fractal -seed 11 -quality 90 -sampling-factor 2x2 big.jpg
fi
[ -s tiny.jpg ] || convert -size 8x8 xc:gray -quality 90 tiny.jpg
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
hyperfine --warmup 2 --runs 10 --export-json fit.json \
  -n "vistrel fit big" "$app --screenshot big.png --fit big.jpg" \
  -n "vistrel fit tiny" "$app --screenshot tiny.png --fit tiny.jpg" \
  -n "djpeg -scale 1/4" "djpeg -scale 1/4 -bmp -outfile quarter.bmp big.jpg"
python3 - <<'PY'
import json
r = {x["command"]: x for x in json.load(open("fit.json"))["results"]}
big, tiny, dj = (r[k]["min"] * 1000 for k in ("vistrel fit big", "vistrel fit tiny", "djpeg -scale 1/4"))
print(f"fit open {big - tiny:.0f} ms (best {big:.0f} - {tiny:.0f}); djpeg 1/4 {dj:.0f} ms; "
      f"target {1.5 * dj + 150:.0f} ms")
PY
