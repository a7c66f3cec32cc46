#!/usr/bin/env bash
# The preview window: an ordinary window titled "flakemorph" that asks for the window manager's
# frame, 1280x720 or the size of --geometry, with the animation filling it and the rest of the
# screen left alone; a key, a click on it or closing it ends it with status 0.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
require_tools "$CLOSE_REQUEST" xprop
SCREEN_WIDTH=1600
SCREEN_HEIGHT=1000

# Starts flakemorph with the given arguments and checks its window: title, frame, size.
start_preview() {
  local size=$1 X Y WIDTH HEIGHT WINDOW SCREEN
  shift
  FLAKEMORPH_ARGS=("$@")
  start_flakemorph
  find_window
  local title
  title=$(xdotool getwindowname "$WID")
  [[ "$title" == flakemorph ]] || fail "'$*': the title is '$title'"
  decorated "$WID" || fail "'$*': the window asks for no frame"
  eval "$(xdotool getwindowgeometry --shell "$WID")"
  [[ "${WIDTH}x$HEIGHT" == "$size" ]] || fail "'$*': the window is ${WIDTH}x$HEIGHT, not $size"
  PLACE="${WIDTH}x$HEIGHT+$X+$Y"
  pass "'$*': a window titled flakemorph with a frame, $PLACE"
}

start_xvfb
motif_hints_atom

start_preview 1280x720 --window
sleep 1
screenshot "$WORK/shot.png"
"$CONVERT" "$WORK/shot.png" -crop "$PLACE" +repage "$WORK/window.png"
share=$(non_black_share "$WORK/window.png")
awk -v s="$share" 'BEGIN { exit !(s > 0.005 && s < 0.5) }' ||
  fail "a share of $share of the window's pixels is drawn; expected circles on black"
# The screen's root is white: outside the window it must stay so.
total=$("$CONVERT" "$WORK/shot.png" -alpha off -fill black +opaque white -fill white -opaque white \
  -format '%[fx:mean*w*h]' info:)
outside=$((SCREEN_WIDTH * SCREEN_HEIGHT - 1280 * 720))
awk -v t="$total" -v o="$outside" 'BEGIN { exit !(t >= o * 0.99) }' ||
  fail "only $total white pixels on the screen; $outside lie outside the window"
pass "circles in the window ($share of its pixels), the screen around it untouched"
since=$(now_ms)
xdotool key space
expect_clean_exit_within 2 "$since" "space in the preview window"

start_preview 640x400 --geometry 640x400
[[ $PLACE =~ \+([0-9]+)\+([0-9]+)$ ]]
since=$(now_ms)
xdotool mousemove $((BASH_REMATCH[1] + 320)) $((BASH_REMATCH[2] + 200)) click 1
expect_clean_exit_within 2 "$since" "a click in the preview window"

start_preview 333x222 -window -geometry=333X222
since=$(now_ms)
"$CLOSE_REQUEST" "$WID"
expect_clean_exit_within 2 "$since" "closing the preview window"

# A click beside the window is not on it.
start_preview 640x400 --geometry 640x400
xdotool mousemove 5 5 click 1
sleep 0.5
kill -0 "$APP_PID" 2>/dev/null || fail "a click beside the window ended flakemorph"
pass "a click beside the window leaves it running"
since=$(now_ms)
kill -TERM "$APP_PID"
expect_clean_exit_within 2 "$since" "SIGTERM to the preview window"
