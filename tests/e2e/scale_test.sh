#!/usr/bin/env bash
# Crisp on scaled desktops: with --scale N, GDK_SCALE=N or an Xft.dpi of 144 or more, every page
# pixel fills N x N screen pixels (the screen is made of N x N blocks of one colour), and the
# animation runs at the screen's size divided by N; an unscaled desktop keeps single pixels.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
source "$(dirname "${BASH_SOURCE[0]}")/foreign_lib.sh"
require_tools xrdb

start_xvfb

# The number of pixels of picture $1 that differ from the picture rebuilt from every $2-th
# pixel, each as a $2 x $2 block: 0 when the picture is made of such blocks.
off_block_pixels() {
  local percent=$((100 / $2))
  "$CONVERT" "$1" -sample "$percent%" -sample "$(($2 * 100))%" "$WORK/blocks.png"
  "$COMPARE" -metric AE "$1" "$WORK/blocks.png" null: 2>&1 || true
}

# Runs flakemorph with the environment assignments and arguments given ([NAME=VALUE...] --
# ARGUMENTS...) for a second and takes a picture of the screen; expects circles on black.
shoot() {
  start_flakemorph_with "$@"
  sleep 1.2
  kill -0 "$APP_PID" 2>/dev/null || fail "'$*' ended: $(cat "$WORK/app.err")"
  screenshot "$WORK/shot.png"
  end_with_sigterm "'$*'"
  local share
  share=$(non_black_share "$WORK/shot.png")
  awk -v s="$share" 'BEGIN { exit !(s > 0.003 && s < 0.6) }' ||
    fail "'$*': a share of $share drawn; expected circles on black"
}

expect_blocks() {
  local scale=$1 what=$2 off
  off=$(off_block_pixels "$WORK/shot.png" "$scale")
  [[ "$off" == 0 ]] || fail "$what: $off pixels are not in ${scale}x$scale blocks"
  pass "$what: every pixel in a ${scale}x$scale block"
}

shoot -- --scale 2
expect_blocks 2 "--scale 2"
shoot -- --scale 4
expect_blocks 4 "--scale 4"
shoot GDK_SCALE=2 -- --window --geometry 640x360
expect_blocks 2 "GDK_SCALE=2"

# Outlines a pixel thin are not blocks: the check can tell.
shoot GDK_SCALE=junk --
off=$(off_block_pixels "$WORK/shot.png" 2)
((off > 0)) || fail "unscaled, the picture is made of 2x2 blocks too: the check cannot tell"
pass "unscaled: single pixels ($off off 2x2 blocks)"

echo "Xft.dpi: 192" | xrdb -nocpp -merge || fail "xrdb failed"
shoot --
expect_blocks 2 "Xft.dpi 192"
shoot -- --scale 1
off=$(off_block_pixels "$WORK/shot.png" 2)
((off > 0)) || fail "--scale 1 on a 192 dpi desktop is still scaled"
pass "--scale 1 overrides the desktop's scale"
xrdb -remove

# In a window of another program the pages are the window's size over the scale.
start_host 400x300+100+80
start_flakemorph_with FLAKEMORPH_STATS=1 -- --window-id "$HOST_WID" --scale 2
wait_for_stats_lines "$WORK/app.err" 1 10
grep -qx "flakemorph: window $(printf '0x%x' "$HOST_WID") (another program's): 400x300 pixels, pages 200x150 at scale 2" \
  "$WORK/app.err" || fail "not said: $(head -n 3 "$WORK/app.err")"
screenshot "$WORK/shot.png"
"$CONVERT" "$WORK/shot.png" -crop 400x300+100+80 +repage "$WORK/shot.png"
(($(count_color "$WORK/shot.png" "$HOST_COLOR") == 0)) || fail "--scale 2 leaves part of the host window"
expect_blocks 2 "--scale 2 in a host window of 400x300, pages of 200x150"
kill -TERM "$APP_PID"
wait_for_exit 2
