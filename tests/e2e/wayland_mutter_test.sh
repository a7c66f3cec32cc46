#!/usr/bin/env bash
# Under GNOME's compositor, mutter, which has no layer shell and no idle protocol: headless, the
# saver is a full-screen window that the compositor asks for frames, SIGTERM ends it with status
# 0, and --idle says in one line what is missing; nested in a virtual X server, whose screen a
# picture can be taken of, the window shows the circles. Skipped where mutter does not start.
source "$(dirname "${BASH_SOURCE[0]}")/wayland_lib.sh"
command -v mutter >/dev/null || { echo "skipped: mutter is not installed"; exit 77; }

# mutter "$@" as the compositor's user on a session bus of its own, with a private runtime
# folder; exports XDG_RUNTIME_DIR and WAYLAND_DISPLAY once its socket is there.
start_mutter() {
  local dir="$WORK/mutter-$1"
  shift
  prepare_compositor "$dir"
  run_compositor mutter.log HOME="$dir" ${DISPLAY:+DISPLAY=$DISPLAY} dbus-run-session -- \
    mutter --wayland --no-x11 --wayland-display mutter-flakemorph "$@"
  MUTTER_PID=$COMPOSITOR_PID
  await_compositor mutter mutter-flakemorph 20 2 skip
}

# dbus-run-session leaves its children running when it is told to end: mutter and the bus.
stop_mutter() {
  local pid
  for pid in $(pgrep -P "$MUTTER_PID") "$MUTTER_PID"; do kill -TERM "$pid" 2>/dev/null || true; done
  wait "$MUTTER_PID" 2>/dev/null || true
}

start_mutter headless --headless --virtual-monitor 1280x720
start_wayland_flakemorph
wait_for_said '^flakemorph: window .* (full screen): 1280x720 pixels$' 10
wait_for_stats_lines "$WORK/app.err" 3 10
fps=$(grep '^fps ' "$WORK/app.err" | tail -n 1 | cut -d' ' -f2)
((fps >= 10)) || fail "mutter asks for only $fps frames a second"
end_with_sigterm "SIGTERM under mutter"
pass "mutter: a full-screen window at $fps frames a second; SIGTERM ends it with status 0"

status=0
timeout 10 "$FLAKEMORPH" --idle 5 >"$WORK/out" 2>"$WORK/err" || status=$?
[[ $status == 1 && "$(cat "$WORK/err")" == "flakemorph: the Wayland compositor lacks an idle protocol"* &&
  $(wc -l <"$WORK/err") == 1 ]] || fail "--idle under mutter: status $status, said: $(cat "$WORK/err")"
pass "mutter: --idle says '$(cat "$WORK/err")', status 1"
stop_mutter

# Nested in an X server of the test's own, mutter's picture is that X server's screen.
start_xvfb
start_mutter nested --nested
x_display=$DISPLAY
unset DISPLAY
start_wayland_flakemorph
wait_for_said '^flakemorph: window .* (full screen): ' 10
wait_for_stats_lines "$WORK/app.err" 2 10
DISPLAY=$x_display "$IMPORT" -window root "$WORK/nested.png"
size=$(grep -o '(full screen): [0-9]*x[0-9]*' "$WORK/app.err" | head -n 1 | cut -d' ' -f3)
"$CONVERT" "$WORK/nested.png" -crop "$size+0+0" +repage "$WORK/window.png"
lit=$(lit_pixels "$WORK/window.png")
((lit > 2000)) || fail "mutter nested: only $lit pixels of its $size screen lit"
pass "mutter nested: circles ($lit pixels lit) on its $size screen"
end_with_sigterm "SIGTERM under mutter nested"
pass "mutter nested: SIGTERM ends it with status 0"
stop_mutter
