#!/usr/bin/env bash
# Every way to end flakemorph ends it at once with status 0: any key (a modifier alone too),
# a click, the window system's close request, SIGTERM and SIGINT. Moving the pointer or
# turning the wheel does not.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
require_tools "$CLOSE_REQUEST"

# Runs flakemorph, does "$@" to its window (the word WID stands for the window's id) and
# expects it to end cleanly within 2 seconds.
expect_ended_by() {
  start_flakemorph
  find_window
  local since argument arguments=()
  for argument in "$@"; do arguments+=("${argument//WID/$WID}"); done
  since=$(now_ms)
  "${arguments[@]}" || fail "'$*' failed"
  expect_clean_exit_within 2 "$since" "'$*'"
}

start_xvfb

expect_ended_by xdotool key shift
expect_ended_by xdotool key Control_L
expect_ended_by xdotool key a
expect_ended_by xdotool key Return
expect_ended_by xdotool mousemove 300 300 click 1
expect_ended_by xdotool click 3
expect_ended_by "$CLOSE_REQUEST" WID

for signal in TERM INT; do
  start_flakemorph
  find_window
  since=$(now_ms)
  kill -"$signal" "$APP_PID"
  expect_clean_exit_within 2 "$since" "SIG$signal"
done

# A key already held when the window comes up, as the modifiers of a launching shortcut
# are, is no press; once released and pressed again it ends flakemorph. (Xvfb runs with
# -noreset, so the key stays held while no client is connected.)
xdotool keydown ctrl
start_flakemorph FLAKEMORPH_STATS=1
find_window
wait_for_stats_lines "$WORK/app.err" 2 10
kill -0 "$APP_PID" 2>/dev/null || fail "a key held from before the start ended flakemorph"
xdotool keyup ctrl
wait_for_stats_lines "$WORK/app.err" 3 10
kill -0 "$APP_PID" 2>/dev/null || fail "releasing a key held from before the start ended it"
pass "a key held from before the start and released leaves it running"
since=$(now_ms)
xdotool key ctrl
wait_for_exit 2 "$since"
[[ "$APP_STATUS" == 0 ]] || fail "ctrl pressed again: status $APP_STATUS"
pass "the same key pressed again ends it in $APP_MILLISECONDS ms"

# Pointer motion and the wheel (buttons 4 to 7: up, down, left, right) are no click. The stats lines tell that flakemorph has been
# through DoEvents since: each is printed a second after the one before.
start_flakemorph FLAKEMORPH_STATS=1
find_window
wait_for_stats_lines "$WORK/app.err" 1 10
xdotool mousemove 100 100 mousemove 700 500 click 4 click 5 click 6 click 7
wait_for_stats_lines "$WORK/app.err" 3 10
kill -0 "$APP_PID" 2>/dev/null || fail "pointer motion or the wheel ended flakemorph"
pass "pointer motion and the wheel leave it running"
since=$(now_ms)
xdotool key z
wait_for_exit 2 "$since"
[[ "$APP_STATUS" == 0 ]] || fail "'z' after the wheel: status $APP_STATUS"
