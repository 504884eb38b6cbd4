#!/usr/bin/env bash
# Kills vistrel-cli while it writes a 24-megapixel TIFF over an existing file
# and checks that the existing file is intact.
#   bench/kill_during_save.sh path/to/vistrel-cli [out-folder]
set -u
cli=${1:?path to vistrel-cli}
out=${2:-${TMPDIR:-/tmp}/vistrel-kill}
mkdir -p "$out"
cd "$out" || exit 1
[ -f big.bmp ] || convert -size 6000x4000 plasma:fractal -seed 11 -depth 8 -type TrueColor bmp3:big.bmp
[ -f old.tif ] || convert -size 64x64 xc:red old.tif
status=0
for delay in 0.5 1.5 2.5 3.0 3.5 4.0; do
  cp old.tif target.tif
  "$cli" convert big.bmp target.tif &
  pid=$!
  sleep "$delay"
  kill -9 "$pid" 2>/dev/null && killed=yes || killed="no (finished first)"
  wait "$pid" 2>/dev/null
  if cmp -s old.tif target.tif; then verdict="intact"; else
    if [ "$killed" = yes ]; then verdict="DAMAGED"; status=1; else verdict="replaced (write completed)"; fi
  fi
  leftovers=$(find . -maxdepth 1 -name '.target.tif.vistrel-save.*.tmp' | wc -l)
  echo "kill after ${delay}s: killed=$killed target=$verdict temporary files left=$leftovers"
  rm -f .target.tif.vistrel-save.*.tmp
done
exit $status
