#!/usr/bin/env bash
# On Wayland every way to end flakemorph ends it at once with status 0: a key, a modifier alone
# (which arrives as nothing but a change of the modifiers held), a click, SIGTERM and SIGINT.
# The compositor going away ends it with one line and status 1, and so does finding neither a
# compositor nor an X display.
source "$(dirname "${BASH_SOURCE[0]}")/wayland_lib.sh"

# Runs flakemorph, waits for its first window, does "$@" and expects it to end within 2 s.
expect_ended_by() {
  start_wayland_flakemorph
  wait_for_said '^fps ' 10
  local since
  since=$(now_ms)
  "$@" >/dev/null || fail "'$*' failed"
  wait_for_exit 2 "$since"
  [[ "$APP_STATUS" == 0 ]] || fail "'$*': status $APP_STATUS, expected 0"
  ! grep -v -e '^fps ' -e '^flakemorph: ' "$WORK/app.err" || fail "'$*': unexpected output"
  pass "'$*' ends it with status 0 in $APP_MILLISECONDS ms"
}

start_sway 1280 720

expect_ended_by wtype -s 300 -k a
expect_ended_by wtype -s 300 -k Return
expect_ended_by wtype -s 300 -M shift -s 100 -m shift
expect_ended_by wtype -s 300 -M ctrl -s 100 -m ctrl
expect_ended_by "$VIRTUAL_POINTER" wait 300 abs 640 360 1280 720 wait 50 click 272 wait 50
expect_ended_by "$VIRTUAL_POINTER" wait 300 abs 10 10 1280 720 wait 50 click 273 wait 50

for signal in TERM INT; do
  start_wayland_flakemorph
  wait_for_said '^fps ' 10
  since=$(now_ms)
  kill -"$signal" "$APP_PID"
  wait_for_exit 2 "$since"
  [[ "$APP_STATUS" == 0 ]] || fail "SIG$signal: status $APP_STATUS"
  pass "SIG$signal ends it with status 0 in $APP_MILLISECONDS ms"
done

# Moving the pointer is no click.
start_wayland_flakemorph
wait_for_said '^fps ' 10
"$VIRTUAL_POINTER" wait 300 abs 100 100 1280 720 wait 50 abs 900 500 1280 720 wait 300
kill -0 "$APP_PID" 2>/dev/null || fail "moving the pointer ended it"
pass "moving the pointer leaves it running"

# The compositor goes away under it.
stop_sway
wait_for_exit 5
[[ "$APP_STATUS" == 1 ]] || fail "status $APP_STATUS after the compositor went away"
said=$(grep -v -e '^fps ' -e '^flakemorph: [0-9]* windows*, refresh' -e '^flakemorph: window ' \
  "$WORK/app.err")
[[ "$said" == "flakemorph: lost the display" ]] || fail "the compositor gone, it said: $said"
pass "the compositor gone: '$said', status 1"

# Neither a compositor nor an X display; or a compositor asked for and none there.
for backend in auto wayland; do
  status=0
  env -u DISPLAY WAYLAND_DISPLAY=wayland-gone timeout 10 "$FLAKEMORPH" --backend "$backend" \
    >"$WORK/out" 2>"$WORK/err" || status=$?
  [[ $status == 1 && $(wc -l <"$WORK/err") == 1 ]] ||
    fail "--backend $backend without a display: status $status, said: $(cat "$WORK/err")"
  grep -q '^flakemorph: cannot open a window: no Wayland compositor at "wayland-gone"' "$WORK/err" ||
    fail "--backend $backend without a display said: $(cat "$WORK/err")"
  pass "--backend $backend without a display: '$(cat "$WORK/err")', status 1"
done

# A name that is no socket is quoted as every value from outside: no escape reaches the
# terminal, and a long one is cut short.
status=0
env -u DISPLAY WAYLAND_DISPLAY=$'\e]0;owned\a'"$(printf 'w%.0s' {1..60})" timeout 10 "$FLAKEMORPH" \
  --backend wayland >"$WORK/out" 2>"$WORK/err" || status=$?
expected='flakemorph: cannot open a window: no Wayland compositor at "\x1B]0;owned\x07'
expected+='wwwwwwwwwwwwwwwwwwwwwwwwwwwwww"... (a name of 70 bytes)'
[[ $status == 1 && $(cat "$WORK/err") == "$expected" ]] ||
  fail "a hostile WAYLAND_DISPLAY: status $status, said: $(cat -v "$WORK/err")"
pass "a hostile WAYLAND_DISPLAY is quoted and cut: $(cat "$WORK/err")"
