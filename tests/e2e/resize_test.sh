#!/usr/bin/env bash
# Windows that take a new size while it runs: a window of another program resized by its owner
# (a settings preview resized with its dialog), and the --window a user resizes. Within a few
# frames the animation starts anew at the new size: it covers all of the window, centred in it,
# and then goes on; keys still end the own window.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
source "$(dirname "${BASH_SOURCE[0]}")/foreign_lib.sh"

start_xvfb

# The share of drawn (non-black) pixels in the part WxH+X+Y of picture $1.
drawn_in() {
  "$CONVERT" "$1" -crop "$2" +repage "$WORK/part.png"
  non_black_share "$WORK/part.png"
}

# Window $1, placed at +$2+$3 on the screen, just took the size $4 x $5: within half a second
# the whole of it is black with circles (none of the host's own background left), and circles
# show in its right and bottom quarters, which the picture of the old, smaller size never
# reached.
expect_animation_at_size() {
  local x=$2 y=$3 width=$4 height=$5 what=$6 share right bottom
  sleep 0.5
  kill -0 "$APP_PID" 2>/dev/null || fail "$what: flakemorph ended"
  screenshot "$WORK/shot.png"
  "$CONVERT" "$WORK/shot.png" -crop "${width}x$height+$x+$y" +repage "$WORK/window.png"
  (($(count_color "$WORK/window.png" "$HOST_COLOR") == 0)) ||
    fail "$what: part of the ${width}x$height window shows no picture"
  share=$(non_black_share "$WORK/window.png")
  awk -v s="$share" 'BEGIN { exit !(s > 0.003 && s < 0.6) }' ||
    fail "$what: a share of $share drawn; expected circles on black"
  right=$(drawn_in "$WORK/shot.png" "$((width / 4))x$height+$((x + width * 3 / 4))+$y")
  bottom=$(drawn_in "$WORK/shot.png" "${width}x$((height / 4))+$x+$((y + height * 3 / 4))")
  awk -v r="$right" -v b="$bottom" 'BEGIN { exit !(r > 0 && b > 0) }' ||
    fail "$what: nothing drawn in the right ($right) or bottom ($bottom) quarter"
  pass "$what: the animation covers ${width}x$height (drawn $share; right $right, bottom $bottom)"
}

start_host 320x200+40+30
start_flakemorph_with FLAKEMORPH_STATS=1 -- --window-id "$HOST_WID"
wait_for_stats_lines "$WORK/app.err" 1 10
# The owner makes it half as large again, twice; then someone else makes it smaller.
kill -USR2 "$HOST_PID"
expect_animation_at_size "$HOST_WID" 40 30 480 300 "the host window grown by its owner to 480x300"
kill -USR2 "$HOST_PID"
expect_animation_at_size "$HOST_WID" 40 30 720 450 "the host window grown by its owner to 720x450"
xdotool windowsize "$HOST_WID" 400 240
expect_animation_at_size "$HOST_WID" 40 30 400 240 "the host window shrunk to 400x240"
end_with_sigterm "SIGTERM after the host's resizes"
stop_host

FLAKEMORPH_ARGS=(--geometry 320x200)
start_flakemorph
find_window
xdotool windowmove "$WID" 20 20 windowsize "$WID" 800 600
expect_animation_at_size "$WID" 20 20 800 600 "--window resized to 800x600"
since=$(now_ms)
xdotool key space
wait_for_exit 2 "$since"
[[ "$APP_STATUS" == 0 ]] || fail "space after resizing --window: status $APP_STATUS"
pass "space still ends the resized window"
