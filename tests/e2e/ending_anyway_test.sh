#!/usr/bin/env bash
# A key, a signal or the end of its window ends flakemorph at once whatever it is doing:
# waiting out a long frame (--rate 1), started with standard error closed, started with SIGINT
# or SIGTERM ignored in a window of another program, or drawing on a display server that has
# stopped answering.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
source "$(dirname "${BASH_SOURCE[0]}")/foreign_lib.sh"

start_xvfb

# A frame lasts a second: a key or SIGTERM at any moment of it ends it long before the frame
# is over (the bound is 50 ms; the limit leaves room for a loaded machine).
FLAKEMORPH_ARGS=(--rate 1)
for _ in 1 2 3; do
  for ending in "xdotool key a" "kill -TERM"; do
    start_flakemorph
    find_window
    sleep "0.$((RANDOM % 9 + 1))"
    since=$(now_ms)
    if [[ "$ending" == kill* ]]; then $ending "$APP_PID"; else $ending; fi
    wait_for_exit 2 "$since"
    [[ "$APP_STATUS" == 0 ]] || fail "--rate 1, $ending: status $APP_STATUS"
    ((APP_MILLISECONDS < 400)) || fail "--rate 1: '$ending' took $APP_MILLISECONDS ms to end it"
    pass "--rate 1: '$ending' ends it in $APP_MILLISECONDS ms"
  done
done
FLAKEMORPH_ARGS=()

# With stderr closed the display's connection could take its descriptor, and the statistics
# would go into the protocol stream.
env --default-signal=INT FLAKEMORPH_STATS=1 "$FLAKEMORPH" >"$WORK/app.out" 2>&- &
APP_PID=$!
find_window
sleep 1.5
since=$(now_ms)
xdotool key a
wait_for_exit 2 "$since"
[[ "$APP_STATUS" == 0 ]] || fail "stderr closed: status $APP_STATUS after a key"
pass "started with stderr closed, it runs and a key ends it in $APP_MILLISECONDS ms"

# Started from a script in the background, SIGINT comes ignored; a daemon's SIGTERM may too.
start_host 300x200+20+20
for signal in INT TERM; do
  : >"$WORK/app.err"
  env --ignore-signal="$signal" "$FLAKEMORPH" --window-id "$HOST_WID" 2>"$WORK/app.err" &
  APP_PID=$!
  sleep 1
  since=$(now_ms)
  kill -"$signal" "$APP_PID"
  expect_clean_exit_within 2 "$since" "SIG$signal inherited as ignored, in a window of another program,"
done
stop_host

# A window of another program destroyed in the middle of a long frame ends it as soon.
for _ in 1 2 3; do
  start_host 300x200+20+20
  start_flakemorph_with -- --rate 1 --window-id "$HOST_WID"
  sleep "1.$((RANDOM % 9))"
  since=$(now_ms)
  kill -USR1 "$HOST_PID"
  expect_clean_exit_within 2 "$since" "--rate 1: the window destroyed"
  ((APP_MILLISECONDS < 400)) || fail "--rate 1: the window's end took $APP_MILLISECONDS ms to end it"
  stop_host
done

# A display server that is stopped answers nothing: SIGTERM still ends it (the bound is
# 100 ms; the limit leaves room for a loaded machine).
start_flakemorph
find_window
sleep 0.5
kill -STOP "$XVFB_PID"
sleep 0.3
since=$(now_ms)
kill -TERM "$APP_PID"
wait_for_exit 2 "$since"
kill -CONT "$XVFB_PID"
[[ "$APP_STATUS" == 0 ]] || fail "SIGTERM with the display stopped: status $APP_STATUS"
((APP_MILLISECONDS < 600)) || fail "SIGTERM with the display stopped took $APP_MILLISECONDS ms"
pass "SIGTERM with the display server stopped ends it in $APP_MILLISECONDS ms"
