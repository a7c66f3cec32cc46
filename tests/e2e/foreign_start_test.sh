#!/usr/bin/env bash
# A window of another program at flakemorph's start: destroyed by its owner while flakemorph
# starts (a daemon that changes its mind), it ends flakemorph as quietly as when destroyed
# later; a window nobody can draw on (input-only) is refused in one line.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
source "$(dirname "${BASH_SOURCE[0]}")/foreign_lib.sh"

start_xvfb

# Before flakemorph looks at the window, while it makes the image it draws in, and once it draws.
for delay in 0 0.003 0.006 0.01 0.015 0.02 0.03 0.05; do
  start_host 300x200+10+10
  start_flakemorph_with -- --window-id "$HOST_WID"
  sleep "$delay"
  kill -USR1 "$HOST_PID"
  wait_for_exit 5
  [[ "$APP_STATUS" == 0 && ! -s "$WORK/app.err" ]] ||
    fail "window destroyed ${delay} s after the start: status $APP_STATUS, said: $(cat "$WORK/app.err")"
  stop_host
done
pass "a window destroyed 0 to 50 ms after the start ends it quietly with status 0"

: >"$WORK/host.out"
"$HOST_WINDOW" --input-only 300x200+10+10 >"$WORK/host.out" 2>"$WORK/host.err" &
HOST_PID=$!
OTHER_PIDS+=("$HOST_PID")
wait_for_first_line "$HOST_PID" "$WORK/host.out" host-window 10 "$WORK/host.err"
HOST_WID=$(head -n 1 "$WORK/host.out")
run_flakemorph_with -- --window-id "$HOST_WID"
expected="flakemorph: window $(printf '0x%x' "$HOST_WID") cannot be drawn on: it is an input-only window"
[[ "$APP_STATUS" == 1 && "$(cat "$WORK/app.err")" == "$expected" ]] ||
  fail "an input-only window: status $APP_STATUS, said: $(cat "$WORK/app.err")"
pass "an input-only window: $(cat "$WORK/app.err")"
