#!/usr/bin/env bash
# The programs' icon, drawn by the project's own renderer: a flake as the trace tool draws it
# (a fixed time of day, so every build draws the same one), its middle taken at 256, 48, 32
# and 16 pixels a side and packed into one .ico. Its outlines are one pixel wide, so the smaller
# sizes take a closer crop, the flake's bright body, and are brightened to stay visible.
#   scripts/make-icon.sh TRACE_TOOL OUTPUT.ico WORK_DIR
set -euo pipefail
trace=${1:?usage: make-icon.sh TRACE_TOOL OUTPUT.ico WORK_DIR}
icon=${2:?usage: make-icon.sh TRACE_TOOL OUTPUT.ico WORK_DIR}
work=${3:?usage: make-icon.sh TRACE_TOOL OUTPUT.ico WORK_DIR}
rm -rf "$work"
mkdir -p "$work"
# Frame 120 of the first figure: the flake whole, in the middle of the picture.
"$trace" --size 768x768 --frames 120 --from 120 --clock 43200 --png "$work" >/dev/null
pictures=()
for size in 256 48 32 16; do
  level=$((size >= 256 ? 45 : 20))
  crop=$((size >= 256 ? 560 : 360))
  convert "$work/frame-000120.png" -gravity center -crop "${crop}x$crop+0+0" +repage -filter box \
    -resize "${size}x$size" -level "0,$level%" "PNG32:$work/flake-$size.png"
  pictures+=("$work/flake-$size.png")
done
# The largest one kept as PNG inside the .ico, as Windows Vista and later take it.
icotool -c -o "$icon" --raw="${pictures[0]}" "${pictures[@]:1}"
