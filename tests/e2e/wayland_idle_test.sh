#!/usr/bin/env bash
# For those who have swayidle start the saver, the recipe of docs/wayland.md: the saver starts
# in the background after the seconds of no input, so that swayidle's later timeouts (a locker)
# still come on time; swayidle's resume ends it; there is never more than one, and the next idle
# period starts it again.
source "$(dirname "${BASH_SOURCE[0]}")/wayland_lib.sh"
require_tools swayidle

start_sway 1280 720
: >"$WORK/saver.err"
# The recipe as a user would write it.
saver="FLAKEMORPH_STATS=1 '$FLAKEMORPH' 2>>'$WORK/saver.err' & echo \$! >'$WORK/saver.pid'"
started=$(now_ms)
swayidle -w timeout 2 "$saver" resume "kill \$(cat '$WORK/saver.pid') 2>/dev/null" \
  timeout 4 "echo locked >>'$WORK/locker'" >"$WORK/swayidle.log" 2>&1 &
IDLE_PID=$!
OTHER_PIDS+=("$IDLE_PID")

# The flakemorph processes of this compositor.
savers() {
  local pid
  for pid in $(pgrep -x flakemorph); do
    { tr '\0' '\n' <"/proc/$pid/environ"; } 2>/dev/null | grep -qx "XDG_RUNTIME_DIR=$XDG_RUNTIME_DIR" &&
      echo "$pid"
  done
  return 0
}

# Waits up to $2 seconds for the $1-th frame-rate line of the savers.
wait_for_frames() {
  local deadline=$(($(now_ms) + $2 * 1000))
  until (($(grep -c '^fps ' "$WORK/saver.err") >= $1)); do
    kill -0 "$IDLE_PID" 2>/dev/null || fail "swayidle ended: $(cat "$WORK/swayidle.log")"
    (($(now_ms) < deadline)) || fail "no saver showed within $2 s"
    sleep 0.1
  done
}

sleep 1
[[ ! -s "$WORK/saver.err" ]] || fail "the saver started after 1 s of no input"
wait_for_frames 1 10
pass "swayidle started it $(($(now_ms) - started)) ms after the last input (timeout 2 s)"
grab HEADLESS-1 "$WORK/saver.png"
expect_circles HEADLESS-1 "$WORK/saver.png"

deadline=$(($(now_ms) + 6000))
until [[ -s "$WORK/locker" ]]; do
  (($(now_ms) < deadline)) || fail "the locker's timeout did not come while the saver ran"
  sleep 0.1
done
first=$(cat "$WORK/saver.pid")
kill -0 "$first" 2>/dev/null || fail "the saver had ended before the locker's timeout"
pass "the locker's timeout came $(($(now_ms) - started)) ms after the last input, the saver running"
sleep 2
count=$(savers | wc -l)
((count == 1)) || fail "$count savers run after 8 s of no input"
pass "one saver after 8 s of no input"

"$VIRTUAL_POINTER" wait 300 abs 100 100 1280 720 wait 50 abs 700 400 1280 720 wait 100 >/dev/null
deadline=$(($(now_ms) + 3000))
while [[ -n "$(savers)" ]]; do
  (($(now_ms) < deadline)) || fail "moving the mouse did not end the saver"
  sleep 0.05
done
! grep -v -e '^fps ' -e '^flakemorph: window .* (overlay): ' -e '^flakemorph: 1 window,' \
  "$WORK/saver.err" || fail "the saver said more than it should"
pass "moving the mouse ends it, none left"

wait_for_frames $(($(grep -c '^fps ' "$WORK/saver.err") + 1)) 10
pass "the next idle period starts it again"
[[ $(cat "$WORK/saver.pid") != "$first" ]] || fail "the same saver showed again"
wtype -s 300 -k a
deadline=$(($(now_ms) + 3000))
while [[ -n "$(savers)" ]]; do
  (($(now_ms) < deadline)) || fail "a key did not end the second saver"
  sleep 0.05
done
pass "a key ends it, none left"
kill -TERM "$IDLE_PID"
wait "$IDLE_PID" 2>/dev/null || true
