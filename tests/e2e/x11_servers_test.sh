#!/usr/bin/env bash
# X servers unlike the usual one: without shared memory (MIT-SHM), every frame goes over the
# connection and still reaches the screen, in a window of its own and, converted, in a 16-bit
# one of another program; without RandR the one window covers the screen and nothing is said
# of the missing extension; and given the second screen of a server (DISPLAY=:N.1, 16 bits deep
# beside a first one of 24), it covers that screen, not the first.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
source "$(dirname "${BASH_SOURCE[0]}")/foreign_lib.sh"

restart_xvfb() {
  if [[ -n "$XVFB_PID" ]]; then
    kill -TERM "$XVFB_PID"
    wait "$XVFB_PID" || true
    XVFB_PID=""
  fi
  rm -f "$WORK/display"
  XVFB_ARGS=("$@")
  start_xvfb
}

# Two pictures of the screen $1 apart differ where the animation moved: frames reach it.
expect_moving_circles() {
  local what=$1 share differing
  sleep 1
  screenshot "$WORK/a.png"
  sleep 0.3
  screenshot "$WORK/b.png"
  share=$(non_black_share "$WORK/a.png")
  awk -v s="$share" 'BEGIN { exit !(s > 0.005 && s < 0.5) }' ||
    fail "$what: a share of $share drawn; expected circles on black"
  differing=$("$COMPARE" -metric AE "$WORK/a.png" "$WORK/b.png" null: 2>&1 || true)
  ((${differing%%.*} > 100)) || fail "$what: the picture did not move ($differing pixels changed)"
  pass "$what: circles ($share drawn) that move ($differing pixels changed)"
}

restart_xvfb -extension MIT-SHM
xdpyinfo | grep -q MIT-SHM && fail "the server still has MIT-SHM"
start_flakemorph
find_window
expect_moving_circles "without MIT-SHM"
since=$(now_ms)
xdotool key a
expect_clean_exit_within 2 "$since" "a key without MIT-SHM"

SCREEN_DEPTH=16
restart_xvfb -extension MIT-SHM
start_flakemorph_with -- --root
expect_moving_circles "--root on a 16-bit screen without MIT-SHM"
since=$(now_ms)
kill -TERM "$APP_PID"
expect_clean_exit_within 2 "$since" "SIGTERM to --root on a 16-bit screen without MIT-SHM"
SCREEN_DEPTH=24

restart_xvfb -extension RANDR
xdpyinfo | grep -q RANDR && fail "the server still has RandR"
start_flakemorph
find_window
eval "$(xdotool getwindowgeometry --shell "$WID")"
[[ "${WIDTH}x$HEIGHT+$X+$Y" == "${SCREEN_WIDTH}x$SCREEN_HEIGHT+0+0" ]] ||
  fail "without RandR the window is at ${WIDTH}x$HEIGHT+$X+$Y, not over the screen"
expect_moving_circles "without RandR"
since=$(now_ms)
xdotool key a
expect_clean_exit_within 2 "$since" "a key without RandR (nothing said on stderr)"

# The second screen of a server, $1 bits deep beside a first one of $2.
expect_second_screen_covered() {
  SCREEN_DEPTH=$2
  restart_xvfb -screen 1 "800x600x$1"
  local first=$DISPLAY X Y WIDTH HEIGHT WINDOW SCREEN said
  DISPLAY="$first.1"
  start_flakemorph FLAKEMORPH_STATS=1
  find_window
  eval "$(xdotool getwindowgeometry --shell "$WID")"
  [[ "${WIDTH}x$HEIGHT+$X+$Y" == "800x600+0+0" && "$SCREEN" == 1 ]] ||
    fail "on :N.1 the window is ${WIDTH}x$HEIGHT+$X+$Y on screen $SCREEN, not 800x600+0+0 on 1"
  expect_moving_circles "on a $1-bit screen 1 beside a $2-bit screen 0"
  DISPLAY="$first.0" screenshot "$WORK/screen0.png"
  white=$("$CONVERT" "$WORK/screen0.png" -alpha off -fill black +opaque white -format '%[fx:mean]' \
    -fill white -opaque white info:)
  [[ "$white" == 1 ]] || fail "screen 0 changed: only a share of $white of it is still white"
  pass "screen 0 is left alone"
  since=$(now_ms)
  xdotool key a
  wait_for_exit 2 "$since"
  [[ "$APP_STATUS" == 0 ]] || fail "a key on screen 1: status $APP_STATUS"
  said=$(grep -v -e '^fps ' -e '^flakemorph: 1 window, refresh' "$WORK/app.err" || true)
  [[ -z "$said" ]] || fail "on screen 1 it said: $said"
  pass "a key on screen 1 ends it with status 0, nothing said"
  DISPLAY=$first
}

expect_second_screen_covered 16 24
expect_second_screen_covered 24 16
