#!/usr/bin/env bash
# On Wayland the keyboard going to another program's window ends the full-screen run, so that
# no key is typed blind into it; the preview window (--window) keeps running. sway keeps the
# keyboard with an overlay that asks for it, so the full screen here is the toplevel of a
# compositor without the layer shell; the other program is a second flakemorph's window, given
# the focus by sway, and the keyboard a virtual one that wtype holds for a while.
source "$(dirname "${BASH_SOURCE[0]}")/wayland_lib.sh"

# Focuses the window of a second flakemorph once it is there.
focus_another_window() {
  env FLAKEMORPH_STATS=1 "$FLAKEMORPH" --window 2>"$WORK/other.err" &
  OTHER_PID=$!
  OTHER_PIDS+=("$OTHER_PID")
  local deadline=$(($(now_ms) + 10000))
  until grep -q '^flakemorph: window preview ' "$WORK/other.err"; do
    (($(now_ms) < deadline)) || fail "the other window did not come"
    sleep 0.05
  done
  # Focusable once it has shown a frame, a moment after its configure.
  until swaymsg "[pid=$OTHER_PID] focus" >/dev/null 2>&1; do
    (($(now_ms) < deadline)) || fail "sway did not focus the other window"
    sleep 0.05
  done
}

stop_another_window() {
  kill -TERM "$OTHER_PID" 2>/dev/null || true
  wait "$OTHER_PID" 2>/dev/null || true
}

hold_a_keyboard() {
  wtype -s 15000 '' &
  OTHER_PIDS+=($!)
  sleep 0.5
}

start_sway 1280 720

hold_a_keyboard
start_wayland_flakemorph FLAKEMORPH_NO_LAYER_SHELL=1
wait_for_said '^fps ' 10
since=$(now_ms)
focus_another_window
wait_for_exit 3 "$since"
[[ "$APP_STATUS" == 0 ]] || fail "the keyboard gone to another window: status $APP_STATUS"
pass "the keyboard gone to another program's window ends it with status 0"
stop_another_window

FLAKEMORPH_ARGS=(--window)
start_wayland_flakemorph
wait_for_said '^fps ' 10
focus_another_window
sleep 1
kill -0 "$APP_PID" 2>/dev/null || fail "--window ended when another window took the keyboard"
stop_another_window
end_with_sigterm "--window"
pass "--window keeps running when another window takes the keyboard"
