#!/usr/bin/env bash
# flakemorph.scr /s under Wine on a virtual X server: it covers the screen with the animation
# at the stored speed, and a key, a click, a wheel turn, a move of the pointer by more than a
# few pixels or another program's window taking the keyboard ends it with status 0; a move of a
# pixel or two does not.
# shellcheck source=tests/windows/wine_lib.sh
source "$(dirname "$0")/wine_lib.sh"
start_xvfb
start_wine_server
store_settings

# Frames at the default 60 a second; circles over a black screen (Xvfb's root is white).
test_draws_on_the_whole_screen() {
  xdotool mousemove 100 100
  start_saver /s
  wait_until_drawing 3
  grep -q '60.00 frames a second paced by the program' "$WORK/app.err" ||
    fail "not paced at 60: $(head -n 3 "$WORK/app.err")"
  screenshot "$WORK/s.png"
  local lit
  lit=$(non_black_share "$WORK/s.png")
  awk -v s="$lit" 'BEGIN { exit !(s > 0.004 && s < 0.3) }' ||
    fail "the screen is not circles on black: $lit of it lit"
  pass "/s draws circles over the whole screen ($lit lit)"
}

# The saver's X window, as Wine made it.
saver_x_window() {
  xwininfo -root -tree | awk '/"flakemorph": \("flakemorph.scr"/ { print $1; exit }'
}

# A window manager's close button: WM_DELETE_WINDOW, with the Linux build's close-request.
close_request() {
  "$LINUX_BUILD_DIR/close-request" "$(saver_x_window)"
}

# Another program's window, which Windows makes the active one.
open_another_window() {
  wine notepad >/dev/null 2>&1 &
  OTHER_PIDS+=($!)
}

# How each kind of input ends it: "$1" describes it, the rest is the command that gives it.
test_ends_on() {
  local what=$1
  shift
  xdotool mousemove 300 300
  FLAKEMORPH_STATS=1 start_saver /s
  wait_until_drawing 1
  xdotool mousemove 301 302  # a nudge: not enough
  sleep 0.5
  kill -0 "$APP_PID" 2>/dev/null || fail "a move of two pixels ended it"
  local since
  since=$(now_ms)
  "$@"
  wait_for_exit 10 "$since"
  [[ "$APP_STATUS" == 0 ]] || fail "$what: status $APP_STATUS"
  pass "$what ends /s with status 0 in $APP_MILLISECONDS ms"
}

# The stored speed, and the stored choice to show the frame rate: white text in an opaque black
# box in the top-left corner, which no circle shows through.
test_stored_settings() {
  store_settings 30 1
  FLAKEMORPH_STATS=1 start_saver -S
  wait_until_drawing 2
  grep -q '30.00 frames a second' "$WORK/app.err" || fail "not at the stored 30 a second"
  screenshot "$WORK/fps.png"
  "$CONVERT" "$WORK/fps.png" -crop 100x12+12+10 +repage "$WORK/text.png"
  local colours white
  colours=$("$CONVERT" "$WORK/text.png" -format '%k' info:)
  white=$("$CONVERT" "$WORK/text.png" -alpha off -fill black +opaque white -format '%[fx:mean]' info:)
  ((colours == 2)) && awk -v s="$white" 'BEGIN { exit !(s > 0.05 && s < 0.6) }' ||
    fail "no frame-rate text in the corner: $colours colours, $white of them white"
  xdotool key space
  wait_for_exit 10
  store_settings
  pass "/s (written -S) runs at the stored speed and shows the frame rate ($white white)"
}

FLAKEMORPH_STATS=1 test_draws_on_the_whole_screen
xdotool key space
wait_for_exit 10
test_ends_on "a key" xdotool key space
test_ends_on "a click" xdotool click 1
test_ends_on "a move of 10 pixels" xdotool mousemove 310 300
test_ends_on "a wheel turn" xdotool click 4
test_ends_on "the end of the Windows session" wine "$BUILD_DIR/end-session.exe"
if [[ -x "${LINUX_BUILD_DIR:-}/close-request" ]]; then
  test_ends_on "a close request" close_request
fi
test_stored_settings
test_ends_on "another program's window taking the keyboard" open_another_window
echo PASS
