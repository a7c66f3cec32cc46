#!/usr/bin/env bash
# Under weston, a compositor with neither the layer shell nor an idle protocol nor a
# server-side frame: --idle says in one line what is missing and ends with status 1, and
# --window has libdecor's frame, with a title bar above the animation.
source "$(dirname "${BASH_SOURCE[0]}")/wayland_lib.sh"
require_tools weston weston-screenshooter

# weston headless (pixman) as the compositor's user, with a private runtime folder, desktop
# shell, and a screenshooter for the tests.
start_weston() {
  local dir="$WORK/weston"
  prepare_compositor "$dir"
  run_compositor weston.log HOME="$dir" weston --backend=headless-backend.so --use-pixman \
    --width=1024 --height=768 --shell=desktop-shell.so --socket=weston-flakemorph --debug \
    --no-config
  await_compositor weston weston-flakemorph 15 1
  unset DISPLAY
}

start_weston
status=0
timeout 10 "$FLAKEMORPH" --idle 5 >"$WORK/out" 2>"$WORK/err" || status=$?
expected="flakemorph: the Wayland compositor lacks an idle protocol (ext_idle_notifier_v1 or"
expected+=" org_kde_kwin_idle) that --idle needs"
[[ $status == 1 && "$(cat "$WORK/err")" == "$expected" ]] ||
  fail "--idle without an idle protocol: status $status, said: $(cat "$WORK/err")"
pass "--idle without an idle protocol: '$(cat "$WORK/err")', status 1"

# weston draws no frames for its clients: libdecor draws the window's, a title bar above it.
title_bar_pixels() {
  "$CONVERT" "$1" -alpha off -fill black +opaque 'rgb(48,48,48)' -fill white -opaque 'rgb(48,48,48)' \
    -format '%[fx:round(mean*w*h)]' info:
}
screenshot() {
  mkdir -p "$WORK/shots"
  (cd "$WORK/shots" && rm -f ./*.png && timeout 10 weston-screenshooter) ||
    fail "weston-screenshooter failed"
  mv "$WORK"/shots/*.png "$1"
}
screenshot "$WORK/desktop.png"
FLAKEMORPH_ARGS=(--window --geometry 400x300)
start_wayland_flakemorph
wait_for_said "^flakemorph: window preview (framed): 400x300 pixels, libdecor's frame$" 10
wait_for_said '^fps ' 10
screenshot "$WORK/window.png"
bare=$(title_bar_pixels "$WORK/desktop.png")
framed=$(title_bar_pixels "$WORK/window.png")
((framed - bare > 400 * 10)) || fail "--window: no title bar ($bare pixels of its grey before, $framed with it)"
pass "--window: libdecor's frame, a title bar of $((framed - bare)) pixels"
end_with_sigterm "--window under weston"
pass "SIGTERM ends it with status 0"
