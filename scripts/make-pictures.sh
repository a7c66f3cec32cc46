#!/usr/bin/env bash
# Renders the README's pictures with the headless tool: one frame of a held flake, and five
# frames of a morph side by side. Needs a built tree (make build) and ImageMagick.
set -euo pipefail
cd "$(dirname "$0")/.."
trace=build/flakemorph-trace
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$trace" --size 800x450 --frames 130 --clock 43200 --png "$work/still" --every 130
cp "$work/still/frame-000130.png" docs/flakemorph.png

"$trace" --size 800x450 --frames 250 --clock 43200 --png "$work/morph" --every 25
montage "$work"/morph/frame-000{150,175,200,225,250}.png -resize 40% -tile 5x1 -geometry +3+0 \
  -background '#444' -colors 48 docs/morph.png
echo "wrote docs/flakemorph.png and docs/morph.png"
