#!/usr/bin/env bash
# The real xsecurelock locks with flakemorph as its saver (it passes the window in decimal):
# circles show, SIGUSR1 from the closing password prompt changes nothing, and a SIGTERM to
# xsecurelock ends flakemorph with status 0. Says what the daemon passed and how flakemorph
# ended.
source "$(dirname "${BASH_SOURCE[0]}")/daemon_lib.sh"
require_tools xsecurelock strace unshare runuser

start_xvfb
make_saver_user
copy_program_for_saver_user
block_stock_savers

started=$(now_ms)
"${AS_SAVER_USER[@]}" XSECURELOCK_SAVER="$SAVER_BIN" XSECURELOCK_BLANK_TIMEOUT=-1 \
  XSECURELOCK_SAVER_RESET_ON_AUTH_CLOSE=1 \
  xsecurelock -- sh -c "touch $SAVER_RUN/locked" >"$WORK/xsecurelock.out" 2>&1 &
xsecurelock_pid=$(child_named $! xsecurelock)
DAEMON_PIDS+=("$xsecurelock_pid")
find_saver 10
echo "xsecurelock started -> flakemorph running: $(($(now_ms) - started)) ms"

read_saver
echo "parent: $(cat "/proc/$(awk '{ print $4 }' "/proc/$SAVER_PID/stat")/comm")"
[[ "${SAVER_ARGV[*]}" == "$SAVER_BIN -root" ]] || fail "argv is '${SAVER_ARGV[*]}'"
[[ "$SAVER_WINDOW" =~ ^[1-9][0-9]*$ ]] || fail "XSCREENSAVER_WINDOW is '$SAVER_WINDOW', not decimal"
geometry=$(xwininfo -id "$SAVER_WINDOW" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }')
echo "its window: $geometry"
[[ "$geometry" == "${SCREEN_WIDTH}x$SCREEN_HEIGHT" ]] || fail "the saver's window is $geometry"
pass "flakemorph runs as $SAVER_USER with argv '${SAVER_ARGV[*]}' and XSCREENSAVER_WINDOW=$SAVER_WINDOW"

deadline=$(($(now_ms) + 10000))
until [[ -e "$SAVER_RUN/locked" ]]; do
  (($(now_ms) < deadline)) || fail "xsecurelock did not lock within 10 s: $(cat "$WORK/xsecurelock.out")"
  sleep 0.05
done
expect_circles_on_screen locked
pass "circles show while locked (non-black share $SCREEN_SHARE)"

# A key brings up the password prompt; Escape closes it, and xsecurelock sends SIGUSR1.
xdotool key space
sleep 1
xdotool key Escape
deadline=$(($(now_ms) + 5000))
until grep -q -- '--- SIGUSR1' "$WORK/saver.trace"; do
  (($(now_ms) < deadline)) || fail "no SIGUSR1 within 5 s of closing the password prompt"
  sleep 0.05
done
sleep 0.5
kill -0 "$SAVER_PID" 2>/dev/null || fail "SIGUSR1 ended flakemorph"
pass "SIGUSR1 from the closing prompt leaves it running"

stopped=$(now_ms)
kill -TERM "$xsecurelock_pid"
trace=$(wait_for_saver_end 5)
echo "flakemorph's signals and end as strace saw them:"
echo "$trace" | sed 's/^/  /'
# (A SIGCHLD may show up too: xsecurelock forks a placeholder into the saver's process group
# before it starts the saver, so the saver inherits it as a child.)
echo "$trace" | grep -q -- '--- SIGTERM' || fail "flakemorph got no SIGTERM"
echo "$trace" | grep -q '+++ exited with 0 +++' || fail "flakemorph did not exit with status 0"
echo "SIGTERM to xsecurelock -> flakemorph's SIGTERM: $(milliseconds_between "$stopped" "$(trace_time '--- SIGTERM')") ms;" \
  "-> exit: $(milliseconds_between "$stopped" "$(trace_time '+++ exited')") ms"
pass "SIGTERM to xsecurelock ends flakemorph with status 0"

if grep -q '^flakemorph:' "$WORK/xsecurelock.out"; then
  fail "flakemorph complained: $(grep '^flakemorph:' "$WORK/xsecurelock.out")"
fi
[[ ! -s "$BLOCKED_LOG" ]] || fail "a stock saver was started: $(cat "$BLOCKED_LOG")"
pass "no stock saver ran, flakemorph said nothing"
