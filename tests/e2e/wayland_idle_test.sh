#!/usr/bin/env bash
# As an idle screen saver on Wayland: swayidle starts flakemorph after the seconds of no input
# it is given, a key ends it with status 0, and the next idle period starts it again.
source "$(dirname "${BASH_SOURCE[0]}")/wayland_lib.sh"
require_tools swayidle

start_sway 1280 720
: >"$WORK/runs"
# The command as a user would give it, with the status of each run noted.
saver="FLAKEMORPH_STATS=1 '$FLAKEMORPH' 2>'$WORK/saver.err'; echo \$? >>'$WORK/runs'"
started=$(now_ms)
swayidle -w timeout 2 "$saver" >"$WORK/swayidle.log" 2>&1 &
IDLE_PID=$!
OTHER_PIDS+=("$IDLE_PID")

# Waits up to $1 seconds for the saver's first frames; sets RAN_AFTER to the time taken.
wait_for_saver() {
  local deadline=$(($(now_ms) + $1 * 1000))
  until [[ -s "$WORK/saver.err" ]] && grep -q '^fps ' "$WORK/saver.err"; do
    kill -0 "$IDLE_PID" 2>/dev/null || fail "swayidle ended: $(cat "$WORK/swayidle.log")"
    (($(now_ms) < deadline)) || fail "swayidle started no saver within $1 s"
    sleep 0.1
  done
}

sleep 1
[[ ! -s "$WORK/saver.err" ]] || fail "the saver started after 1 s of no input"
wait_for_saver 10
pass "swayidle started it $(($(now_ms) - started)) ms after the last input (timeout 2 s)"
grab HEADLESS-1 "$WORK/saver.png"
expect_circles HEADLESS-1 "$WORK/saver.png"

wtype -s 300 -k a
deadline=$(($(now_ms) + 3000))
until [[ -s "$WORK/runs" ]]; do
  (($(now_ms) < deadline)) || fail "a key did not end the saver"
  sleep 0.05
done
[[ $(cat "$WORK/runs") == 0 ]] || fail "the key ended it with status $(cat "$WORK/runs")"
pass "a key ends it with status 0"

: >"$WORK/saver.err"
wait_for_saver 10
pass "the next idle period starts it again"
# swayidle -w waits for the saver before it takes its own signals: the saver goes first.
wtype -s 300 -k a
deadline=$(($(now_ms) + 3000))
until (($(wc -l <"$WORK/runs") == 2)); do
  (($(now_ms) < deadline)) || fail "a key did not end the second saver"
  sleep 0.05
done
kill -TERM "$IDLE_PID"
wait "$IDLE_PID" 2>/dev/null || true
