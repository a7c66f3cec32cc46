#!/usr/bin/env bash
# On an output scaled by 2 the animation runs at the logical size and every one of its pixels
# fills 2 x 2 pixels of buffers of the output's full size: the same picture as unscaled, as
# sharp. A scale changed while it runs gives it new buffers.
source "$(dirname "${BASH_SOURCE[0]}")/wayland_lib.sh"
TRACE="$BUILD_DIR/flakemorph-trace"
require_tools "$TRACE"

# The share of pixels of picture $1 that are not black, 0 to 1.
drawn_share() {
  "$CONVERT" "$1" -alpha off -fill white +opaque black -format '%[fx:mean]' info:
}

start_sway 1920 1080 2
start_wayland_flakemorph
wait_for_said '^fps ' 10
grep -q '^flakemorph: window HEADLESS-1 (overlay): 1920x1080 pixels, pages 960x540 at scale 2$' "$WORK/app.err" ||
  fail "not 960x540 at scale 2 in buffers of 1920x1080: $(cat "$WORK/app.err")"
pass "a 960x540 surface at scale 2, buffers of 1920x1080"

grab HEADLESS-1 "$WORK/scaled.png"
size=$("$CONVERT" "$WORK/scaled.png" -format '%wx%h' info:)
[[ "$size" == 1920x1080 ]] || fail "the output's picture is $size"
expect_circles HEADLESS-1 "$WORK/scaled.png"
# Each 2 x 2 square one colour: the picture is its own half-size copy, doubled.
"$CONVERT" "$WORK/scaled.png" -alpha off -sample 50% "$WORK/logical.png"
"$CONVERT" "$WORK/logical.png" -sample 200% "$WORK/doubled.png"
blurred=$("$COMPARE" -metric AE "$WORK/scaled.png" "$WORK/doubled.png" null: 2>&1 || true)
[[ "$blurred" == 0 ]] || fail "$blurred pixels differ from the logical picture doubled"
pass "every pixel of the animation fills 2 x 2 pixels of the output"

# The logical picture is what the animation draws at 960x540: outlines of one pixel, as many as
# the headless tool draws at that size somewhere in a cycle.
"$TRACE" --size 960x540 --frames 300 --clock 43200 --png "$WORK/trace" --every 15 >/dev/null ||
  fail "flakemorph-trace failed"
shares=$(for frame in "$WORK"/trace/frame-*.png; do drawn_share "$frame"; echo; done | sort -g)
low=$(head -n 1 <<<"$shares")
high=$(tail -n 1 <<<"$shares")
share=$(drawn_share "$WORK/logical.png")
awk -v s="$share" -v l="$low" -v h="$high" 'BEGIN { exit !(s >= 0.7 * l && s <= 1.3 * h) }' ||
  fail "the logical picture has $share of its pixels drawn; the tool draws $low to $high"
pass "the logical picture draws $share of its pixels; the tool at 960x540: $low to $high"

# --scale 1 is a scale of its own, not "as the output says": every pixel of the output a page
# pixel, the pages of the output's full size.
kill -TERM "$APP_PID"
wait_for_exit 2
FLAKEMORPH_ARGS=(--scale 1)
start_wayland_flakemorph
wait_for_said '^flakemorph: window HEADLESS-1 (overlay): 1920x1080 pixels$' 10
pass "--scale 1 at output scale 2: pages of 1920x1080"
FLAKEMORPH_ARGS=()
kill -TERM "$APP_PID"
wait_for_exit 2
start_wayland_flakemorph
wait_for_said '^fps ' 10

# Back to scale 1: new buffers of the same size for a surface of twice the logical size.
swaymsg output HEADLESS-1 scale 1 >/dev/null
wait_for_said '^flakemorph: window HEADLESS-1 (overlay): 1920x1080 pixels$' 5
sleep 1
grab HEADLESS-1 "$WORK/unscaled.png"
expect_circles HEADLESS-1 "$WORK/unscaled.png"
"$CONVERT" "$WORK/unscaled.png" -alpha off -sample 50% -sample 200% "$WORK/undoubled.png"
sharp=$("$COMPARE" -metric AE "$WORK/unscaled.png" "$WORK/undoubled.png" null: 2>&1 || true)
((${sharp%%.*} > 1000)) || fail "at scale 1 the picture still looks doubled ($sharp differ)"
pass "at scale 1 again: 1920x1080 buffers, the animation at the full size"
since=$(now_ms)
wtype -s 300 -k space
wait_for_exit 2 "$since"
[[ "$APP_STATUS" == 0 ]] || fail "space: status $APP_STATUS"
pass "space ends it with status 0"

# Fractional scales, which sway 1.7 rounds up to 2 for its clients: buffers of the output's own
# pixels all the same, shown through a viewport; below 1.5 a page pixel per screen pixel, from
# 1.5 on 2 x 2.
for case in "1.25 1536x864" "1.5 1280x720 , pages 960x540 at scale 2"; do
  read -r scale logical pages <<<"$case"
  swaymsg output HEADLESS-1 scale "$scale" >/dev/null
  start_wayland_flakemorph
  wait_for_said "^flakemorph: window HEADLESS-1 (overlay): 1920x1080 pixels$pages\$" 10
  wait_for_said '^fps ' 10
  grab HEADLESS-1 "$WORK/fractional.png"
  size=$("$CONVERT" "$WORK/fractional.png" -format '%wx%h' info:)
  [[ "$size" == 1920x1080 ]] || fail "the output's picture at scale $scale is $size"
  expect_circles HEADLESS-1 "$WORK/fractional.png"
  pass "scale $scale: a $logical surface in buffers of the output's 1920x1080 pixels"
  kill -TERM "$APP_PID"
  wait_for_exit 2
done
swaymsg output HEADLESS-1 scale 1 >/dev/null

# --scale 2 on the unscaled output: pages of half the size, each pixel 2 x 2 on the screen.
FLAKEMORPH_ARGS=(--scale 2)
start_wayland_flakemorph
wait_for_said '^flakemorph: window HEADLESS-1 (overlay): 1920x1080 pixels, pages 960x540 at scale 2$' 10
wait_for_said '^fps ' 10
grab HEADLESS-1 "$WORK/forced.png"
expect_circles HEADLESS-1 "$WORK/forced.png"
"$CONVERT" "$WORK/forced.png" -alpha off -sample 50% -sample 200% "$WORK/forced-doubled.png"
blocky=$("$COMPARE" -metric AE "$WORK/forced.png" "$WORK/forced-doubled.png" null: 2>&1 || true)
[[ "$blocky" == 0 ]] || fail "--scale 2: $blocky pixels differ from the half-size picture doubled"
pass "--scale 2: pages of 960x540, every pixel 2 x 2 on the output"
kill -TERM "$APP_PID"
wait_for_exit 2
