#!/usr/bin/env bash
# Frames per second of a real-time show (no virtual clock): a Normal-speed
# PUSH wipe between two 1920 x 1080 pictures, full screen under Xvfb.
# Each slide's log line gives the frames presented and the draw's real time.
# Usage: bench/slideshow_fps.sh path/to/vistrel [out-folder] [passes]
set -eu
prog=${1:?path of vistrel}
out=${2:-${TMPDIR:-/tmp}/vistrel-bench}
passes=${3:-3}
mkdir -p "$out"
prog=$(cd "$(dirname "$prog")" && pwd)/$(basename "$prog")
cd "$out"
[ -s fps_a.png ] || convert -size 1920x1080 plasma:fractal -seed 3 fps_a.png
[ -s fps_b.png ] || convert -size 1920x1080 gradient:red-blue fps_b.png
rm -f fps.jsonl
xvfb-run -a -s "-screen 0 1920x1080x24" "$prog" --slideshow --show-log fps.jsonl \
  --show-passes "$passes" --set AlwaysFullScreen=1 --set MaxFullScreen=1 \
  --set EffectsSpeed=1 --set SlideDelay=0 --set selFX01=8 fps_a.png fps_b.png
python3 - fps.jsonl <<'PY'
import json, sys
slides = [json.loads(l) for l in open(sys.argv[1]) if '"event":"slide"' in l]
frames = sum(s["frames"] for s in slides)
ms = sum(s["draw_ms"] for s in slides)
for s in slides:
    t = s["target"]
    print(f'{s["caption"]}: {t[2]-t[0]}x{t[3]-t[1]} effect {s["effect"]} '
          f'{s["frames"]} frames in {s["draw_ms"]:.0f} ms = {1000*s["frames"]/max(s["draw_ms"],1e-9):.1f} fps')
print(f"all: {frames} frames in {ms:.0f} ms = {1000*frames/max(ms,1e-9):.1f} frames/s")
PY
