#!/usr/bin/env bash
# Under KDE's KWin (--virtual, no input devices): the saver covers its output with circles and
# SIGTERM ends it with status 0; --idle takes KWin's ext-idle-notify-v1, shows the saver once
# the seat has been idle (not while a client inhibits idleness) and ends on SIGTERM with status
# 0; at a fractional scale the buffers are the output's own pixels. Skipped where KWin does not
# start.
source "$(dirname "${BASH_SOURCE[0]}")/wayland_lib.sh"
command -v kwin_wayland >/dev/null || { echo "skipped: kwin_wayland is not installed"; exit 77; }
SHOOTER="$(dirname "${BASH_SOURCE[0]}")/kwin_screenshot.py"

# KWin --virtual "$@" as the compositor's user on a session bus of its own. The installed
# binary carries a file capability that a container may refuse to exec: a copy runs without.
start_kwin() {
  local dir="$WORK/kwin-$1"
  shift
  mkdir -p "$dir/home/.config"
  prepare_compositor "$dir" "$dir/home"
  cp /usr/bin/kwin_wayland "$dir/kwin_wayland"
  KWIN_AS=("${COMPOSITOR_AS[@]}")
  run_compositor kwin.log HOME="$dir/home" KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1 \
    dbus-run-session -- "$dir/kwin_wayland" --virtual --socket kwin-flakemorph --no-lockscreen "$@"
  KWIN_PID=$COMPOSITOR_PID
  await_compositor KWin kwin-flakemorph 20 3 skip
  unset DISPLAY
}

stop_kwin() {
  local pid
  for pid in $(pgrep -P "$KWIN_PID") "$KWIN_PID"; do kill -TERM "$pid" 2>/dev/null || true; done
  wait "$KWIN_PID" 2>/dev/null || true
}

# The kwin_wayland among the descendants of process $1 (dbus-run-session starts it).
kwin_process() {
  local child
  for child in $(pgrep -P "$1"); do
    if [[ $(cat "/proc/$child/comm" 2>/dev/null) == kwin_wayland ]]; then
      echo "$child"
      return
    fi
    kwin_process "$child"
  done
}

# A picture of KWin's workspace into $1, taken on KWin's own session bus.
kwin_shot() {
  local kwin bus
  kwin=$(kwin_process "$KWIN_PID")
  [[ -n "$kwin" ]] || fail "no kwin_wayland process under $KWIN_PID"
  bus=$(tr '\0' '\n' <"/proc/$kwin/environ" | grep '^DBUS_SESSION_BUS_ADDRESS=')
  "${KWIN_AS[@]}" env "$bus" /usr/bin/python3 "$SHOOTER" "$XDG_RUNTIME_DIR/shot.png" ||
    fail "no picture of KWin's workspace"
  cp "$XDG_RUNTIME_DIR/shot.png" "$1"
}

# Ends flakemorph by SIGTERM and expects status 0 within 2 s.
expect_ended_by_sigterm() {
  local since
  end_with_sigterm "$1"
  pass "$1: SIGTERM ends it with status 0 in $APP_MILLISECONDS ms"
}

start_kwin plain --width 1280 --height 720
start_wayland_flakemorph
wait_for_said '^flakemorph: window .* (overlay): 1280x720 pixels$' 10
wait_for_stats_lines "$WORK/app.err" 2 10
kwin_shot "$WORK/kwin.png"
expect_circles KWin "$WORK/kwin.png"
expect_ended_by_sigterm "KWin"

# A client inhibiting idleness keeps the saver away: KWin, not flakemorph, weighs it.
"$BUILD_DIR/idle-inhibitor" >"$WORK/inhibitor.out" 2>&1 &
inhibitor=$!
OTHER_PIDS+=("$inhibitor")
wait_for_first_line "$inhibitor" "$WORK/inhibitor.out" idle-inhibitor 10 "$WORK/inhibitor.out"
FLAKEMORPH_ARGS=(--idle 2)
start_wayland_flakemorph
wait_for_said '^flakemorph: waiting for 2 s of no input (ext_idle_notification_v1)$' 10
sleep 4
! grep -q '^flakemorph: idle for 2 s: shown$' "$WORK/app.err" ||
  fail "KWin, --idle: shown while a client inhibits idleness"
pass "KWin, --idle: not shown in 4 s while a client inhibits idleness"
kill -TERM "$inhibitor"
wait "$inhibitor" || fail "the inhibitor ended with status $?"
wait_for_said '^flakemorph: idle for 2 s: shown$' 10
wait_for_stats_lines "$WORK/app.err" 2 10
kwin_shot "$WORK/kwin-idle.png"
expect_circles "KWin, --idle" "$WORK/kwin-idle.png"
expect_ended_by_sigterm "KWin, --idle"
FLAKEMORPH_ARGS=()
stop_kwin

# A fractional scale, which KWin tells through wp_fractional_scale_v1.
start_kwin scaled --width 1920 --height 1080 --scale 1.25
start_wayland_flakemorph
# The virtual output's size is logical: 1920x1080 at 1.25 has 2400x1350 pixels.
wait_for_said '^flakemorph: window .* (overlay): 2400x1350 pixels$' 10
wait_for_stats_lines "$WORK/app.err" 2 10
pass "KWin at scale 1.25: a 1920x1080 surface in buffers of the output's 2400x1350 pixels"
expect_ended_by_sigterm "KWin at scale 1.25"
stop_kwin
