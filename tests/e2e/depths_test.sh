#!/usr/bin/env bash
# Displays 16 and 30 bits deep: flakemorph's window takes a visual of 8-bit channels beside the
# display's own, so that a frame draws only what changed, as on a 24-bit display, and the
# circles show. A window of another program whose pixels it cannot draw is refused in one line.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

for SCREEN_DEPTH in 16 30; do
  rm -f "$WORK/display"
  start_xvfb
  start_flakemorph
  find_window
  depth=$(xwininfo -id "$WID" | sed -n 's/^ *Depth: *//p')
  [[ "$depth" == 24 || "$depth" == 32 ]] ||
    fail "on a $SCREEN_DEPTH-bit display the window is $depth bits deep: whole pages are converted"
  sleep 1
  screenshot "$WORK/shot.png"
  share=$(non_black_share "$WORK/shot.png")
  awk -v s="$share" 'BEGIN { exit !(s > 0.005 && s < 0.5) }' ||
    fail "on a $SCREEN_DEPTH-bit display a share of $share is not black: no circles"
  since=$(now_ms)
  xdotool key a
  expect_clean_exit_within 2 "$since" "a key on a $SCREEN_DEPTH-bit display (window $depth bits, share $share)"

  : >"$WORK/app.err"
  timeout 10 "$FLAKEMORPH" --root 2>"$WORK/app.err" &
  APP_PID=$!
  if ((SCREEN_DEPTH == 30)); then
    wait_for_exit 5
    said=$(cat "$WORK/app.err")
    [[ "$APP_STATUS" == 1 && "$said" == "flakemorph: window 0x"*" cannot be drawn on: its colour depth of 30 bits is not 15, 16, 24 or 32" ]] ||
      fail "--root on a 30-bit display: status $APP_STATUS, said: $said"
    pass "--root on a 30-bit display: $said"
  else
    sleep 1
    since=$(now_ms)
    kill -TERM "$APP_PID"
    expect_clean_exit_within 2 "$since" "--root on a 16-bit display, then SIGTERM,"
  fi
  kill -TERM "$XVFB_PID"
  wait "$XVFB_PID" || true
  XVFB_PID=""
done
