#!/usr/bin/env bash
# FLAKEMORPH_STATS never holds up a frame or an event: with stderr a pipe that nobody reads,
# already full at the start, the animation runs and a key ends it at once. Once the pipe is
# read again, the next line says how many were dropped.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

start_xvfb

mkfifo "$WORK/stats"
# Held open for reading and writing, so that nobody waits to open it, and never read here.
exec 3<>"$WORK/stats"
dd if=/dev/zero of="$WORK/stats" bs=4096 count=1024 oflag=nonblock 2>/dev/null || true
env --default-signal=INT FLAKEMORPH_STATS=1 "$FLAKEMORPH" 2>"$WORK/stats" &
APP_PID=$!
find_window
sleep 2.5
kill -0 "$APP_PID" 2>/dev/null || fail "flakemorph ended with its stats pipe full"
since=$(now_ms)
xdotool key a
wait_for_exit 2 "$since"
[[ "$APP_STATUS" == 0 ]] || fail "a key with the stats pipe full: status $APP_STATUS"
pass "with the stats pipe full, a key ends it with status 0 in $APP_MILLISECONDS ms"

# Emptied while it runs: the lines go out again, the first saying how many were dropped.
exec 3<&-
exec 3<>"$WORK/stats"
dd if=/dev/zero of="$WORK/stats" bs=4096 count=1024 oflag=nonblock 2>/dev/null || true
env --default-signal=INT FLAKEMORPH_STATS=1 "$FLAKEMORPH" 2>"$WORK/stats" &
APP_PID=$!
find_window
sleep 2.5
timeout 2 cat <&3 | tr -d '\0' >"$WORK/read" || true
sleep 1.5
timeout 1 cat <&3 >>"$WORK/read" || true
since=$(now_ms)
xdotool key a
wait_for_exit 2 "$since"
grep -q '^flakemorph: [1-9][0-9]* stats lines dropped: standard error was full$' "$WORK/read" ||
  fail "no word of the dropped lines: $(head -c 300 "$WORK/read")"
pass "once read again, it says: $(grep -m 1 'dropped' "$WORK/read")"
