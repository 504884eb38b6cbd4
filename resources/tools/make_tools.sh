#!/usr/bin/env bash
# Writes the tool bar images: one 16 x 16 SVG per button in a gray and a hot
# (hover) state. Run from this folder after changing a drawing.
set -euo pipefail
cd "$(dirname "$0")"
declare -A body
body[back]='<path d="M9.5 3.5 5 8l4.5 4.5M5.5 8h8" fill="none"/>'
body[next]='<path d="M6.5 3.5 11 8l-4.5 4.5M10.5 8h-8" fill="none"/>'
body[open]='<path d="M1.5 3.5h4.5l1.5 1.5h7v8h-13z" class="f"/><path d="M1.5 7h13" fill="none"/>'
body[screen]='<rect x="1.5" y="2.5" width="13" height="9" class="f"/><path d="M8 11.5v2M5 13.5h6M4 6V4.5h2M12 6V4.5h-2M4 8v1.5h2M12 8v1.5h-2" fill="none"/>'
body[adjust]='<rect x="1.5" y="1.5" width="13" height="13" fill="none"/><rect x="5.5" y="5.5" width="5" height="5" class="f"/><path d="M1.5 4.5h13" fill="none"/>'
body[fit]='<path d="M1.5 5.5v-4h4M10.5 1.5h4v4M14.5 10.5v4h-4M5.5 14.5h-4v-4" fill="none"/><rect x="4.5" y="4.5" width="7" height="7" class="f"/>'
body[zoomout]='<circle cx="6.5" cy="6.5" r="4.5" class="f"/><path d="m10 10 4.5 4.5M4.5 6.5h4" fill="none"/>'
body[zoomin]='<circle cx="6.5" cy="6.5" r="4.5" class="f"/><path d="m10 10 4.5 4.5M4.5 6.5h4M6.5 4.5v4" fill="none"/>'
body[scroll]='<path d="M8 1.5v13M1.5 8h13M6 3.5l2-2 2 2M6 12.5l2 2 2-2M3.5 6l-2 2 2 2M12.5 6l2 2-2 2" fill="none"/>'
body[select]='<path d="M2.5 2.5h2M6 2.5h2M9.5 2.5h2M13 2.5h.5v1M13.5 5v2M13.5 8.5v2M13.5 12v1.5h-1M11 13.5h-2M7.5 13.5h-2M4 13.5h-1.5v-1M2.5 11v-2M2.5 7.5v-2M2.5 4v-1.5" fill="none"/>'
body[page]='<path d="M3.5 1.5h6l3 3v10h-9z" class="f"/><path d="M9.5 1.5v3h3M6 8.5h4M8 6.5l2 2-2 2" fill="none"/>'
write() { # name state stroke fill
  cat > "$1_$2.svg" <<EOF
<svg xmlns="http://www.w3.org/2000/svg" width="16" height="16" viewBox="0 0 16 16">
<style>*{stroke:$3;stroke-width:1.3;stroke-linecap:round;stroke-linejoin:round}.f{fill:$4}</style>
${body[$1]}
</svg>
EOF
}
for n in "${!body[@]}"; do
  write "$n" gray "#5f6368" "#e4e6e8"
  write "$n" hot "#1a5fb4" "#c8dcf5"
done
