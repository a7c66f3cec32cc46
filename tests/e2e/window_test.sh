#!/usr/bin/env bash
# The window covers the whole screen and its picture is black wherever nothing is drawn.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"


start_xvfb
start_flakemorph
find_window

eval "$(xdotool getwindowgeometry --shell "$WID")"
[[ "$X,$Y,$WIDTH,$HEIGHT" == "0,0,$SCREEN_WIDTH,$SCREEN_HEIGHT" ]] ||
  fail "window at $X,$Y, ${WIDTH}x$HEIGHT; expected 0,0, ${SCREEN_WIDTH}x$SCREEN_HEIGHT"
pass "the window covers the screen (${WIDTH}x$HEIGHT at $X,$Y)"

# The screen's root is white: any part the window left uncovered, or a page never shown,
# counts against the black. Circles of the animation cover far less than a tenth of it.
deadline=$(($(now_ms) + 5000))
while :; do
  screenshot "$WORK/shot.png"
  share=$(non_black_share "$WORK/shot.png")
  awk -v s="$share" 'BEGIN { exit !(s < 0.1) }' && break
  (($(now_ms) < deadline)) || fail "screen not black: a share of $share of its pixels is not black"
  sleep 0.1
done
size=$("$CONVERT" "$WORK/shot.png" -format '%wx%h' info:)
[[ "$size" == "${SCREEN_WIDTH}x$SCREEN_HEIGHT" ]] || fail "screenshot is $size"
pass "the screen is black (non-black share $share)"

kill -0 "$APP_PID" 2>/dev/null || fail "flakemorph ended by itself"
since=$(now_ms)
xdotool key Escape
expect_clean_exit_within 2 "$since" "Escape after the checks"
