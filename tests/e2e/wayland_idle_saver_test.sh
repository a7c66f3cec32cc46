#!/usr/bin/env bash
# flakemorph --idle on Wayland: resident, it shows nothing and spends nothing until the seat has
# been idle for the seconds given, then the saver on every output; a key, a click or the
# pointer moved away ends the showing (a nudge of a pixel or two does not), and the next idle
# period shows it again, with new flakes. A client inhibiting idleness keeps it away, a locker
# started over it covers it, and SIGTERM ends it with status 0.
source "$(dirname "${BASH_SOURCE[0]}")/wayland_lib.sh"
INHIBITOR="$BUILD_DIR/idle-inhibitor"
require_tools "$INHIBITOR" swaylock

# Waits up to $3 seconds for the $2-th line matching $1 on flakemorph's stderr.
wait_for_count() {
  local pattern=$1 count=$2 limit=$3
  local deadline=$(($(now_ms) + limit * 1000))
  until (($(grep -c -e "$pattern" "$WORK/app.err") >= count)); do
    kill -0 "$APP_PID" 2>/dev/null || fail "flakemorph ended early"
    (($(now_ms) < deadline)) || fail "flakemorph did not say '$pattern' $count times within $limit s"
    sleep 0.05
  done
}

# Whether output HEADLESS-1 shows nothing of flakemorph: no pixel lit.
expect_nothing_shown() {
  grab HEADLESS-1 "$WORK/$1.png"
  local lit
  lit=$(lit_pixels "$WORK/$1.png")
  ((lit == 0)) || fail "$1: $lit pixels lit where nothing should show"
}

SHOWN='^flakemorph: idle for 2 s: shown$'
HIDDEN='^flakemorph: input: hidden until the seat is idle again$'

start_sway 1280 720
add_output 2 1024 768 1280
FLAKEMORPH_ARGS=(--idle 2)
start_wayland_flakemorph
wait_for_said '^flakemorph: waiting for 2 s of no input (org_kde_kwin_idle_timeout)$' 10
ticks=$(cpu_ticks "$APP_PID")
sleep 1
expect_nothing_shown before
spent=$(($(cpu_ticks "$APP_PID") - ticks))
((spent <= 1)) || fail "waiting, it used $spent ticks of CPU in a second"
! grep -q "$SHOWN" "$WORK/app.err" || fail "shown before the seat was idle for 2 s"
pass "waiting: nothing shown, $spent ticks of CPU in a second"

wait_for_count "$SHOWN" 1 10
wait_for_count '^fps ' 2 10
grab HEADLESS-1 "$WORK/first.png"
expect_circles HEADLESS-1 "$WORK/first.png"
grab HEADLESS-2 "$WORK/first-2.png"
expect_circles HEADLESS-2 "$WORK/first-2.png"

# Ends the showing number $1 by "${@:2}", and checks that nothing is left on the screen.
expect_hidden_by() {
  local showing=$1
  shift
  "$@" >/dev/null || fail "'$*' failed"
  wait_for_count "$HIDDEN" "$showing" 3
  expect_nothing_shown "hidden-$showing"
  kill -0 "$APP_PID" 2>/dev/null || fail "'$*' ended flakemorph, not the showing"
  pass "'$*' ends the showing $showing; nothing left on the screen, still resident"
}

expect_hidden_by 1 wtype -s 300 -k a
wait_for_count "$SHOWN" 2 10
wait_for_count '^fps ' 4 10
grab HEADLESS-1 "$WORK/second.png"
expect_circles HEADLESS-1 "$WORK/second.png"
differ=$("$COMPARE" -metric AE "$WORK/first.png" "$WORK/second.png" null: 2>&1 || true)
((${differ%%.*} > 2000)) || fail "the second showing looks like the first ($differ differ)"
pass "shown again after the next idle period, another picture ($differ pixels differ)"

expect_hidden_by 2 "$VIRTUAL_POINTER" wait 300 abs 640 360 2304 768 wait 50 click 272 wait 50

# A nudge of a pixel or two is a hand near the mouse, not on it.
wait_for_count "$SHOWN" 3 10
"$VIRTUAL_POINTER" wait 300 abs 640 360 2304 768 wait 100 abs 641 361 2304 768 wait 100 \
  abs 642 360 2304 768 wait 500 >/dev/null
(($(grep -c "$HIDDEN" "$WORK/app.err") == 2)) || fail "a nudge of 2 px ended the showing"
pass "a nudge of 2 px leaves it showing"
expect_hidden_by 3 "$VIRTUAL_POINTER" wait 300 abs 642 360 2304 768 wait 100 \
  abs 662 380 2304 768 wait 100

# A client that inhibits idleness (a video playing) keeps it away, and it comes once that ends.
"$INHIBITOR" >"$WORK/inhibitor.out" 2>&1 &
inhibitor=$!
OTHER_PIDS+=("$inhibitor")
wait_for_first_line "$inhibitor" "$WORK/inhibitor.out" idle-inhibitor 10 "$WORK/inhibitor.out"
sleep 4
(($(grep -c "$SHOWN" "$WORK/app.err") == 3)) || fail "shown while a client inhibits idleness"
pass "not shown in 4 s while a client inhibits idleness"
# A keyboard on the seat from now on, as a real one would be: the saver's overlays on both
# outputs take it in turn as they come, which ends nothing.
wtype -s 30000 &
keyboard=$!
OTHER_PIDS+=("$keyboard")
sleep 0.5
kill -TERM "$inhibitor"
wait "$inhibitor" || fail "the inhibitor ended with status $?"
wait_for_count "$SHOWN" 4 10
wait_for_count '^fps ' $(($(grep -c '^fps ' "$WORK/app.err") + 2)) 10
(($(grep -c "$HIDDEN" "$WORK/app.err") == 3)) || fail "the overlays taking the keyboard ended it"
pass "shown once the inhibitor is gone, the keyboard going from overlay to overlay"

# A locker started over it (as swayidle starts swaylock): the locker takes the keyboard, which
# ends the showing, so that the locker's picture is what shows; while it is locked no further
# idle period shows the saver, and once it is unlocked the desktop is back, no stale saver.
swaylock --color ff0000 >"$WORK/swaylock.out" 2>&1 &
locker=$!
OTHER_PIDS+=("$locker")
wait_for_count "$HIDDEN" 4 5
red_share() {
  "$CONVERT" "$1" -alpha off -fill black +opaque 'rgb(255,0,0)' -fill white -opaque 'rgb(255,0,0)' \
    -format '%[fx:mean]' info:
}
sleep 0.5
grab HEADLESS-1 "$WORK/locked.png"
red=$(red_share "$WORK/locked.png")
awk -v r="$red" 'BEGIN { exit !(r > 0.99) }' || fail "the locker does not cover the saver ($red red)"
pass "swaylock started over it takes the keyboard and ends the showing: the output is all red"
sleep 3
grab HEADLESS-1 "$WORK/still-locked.png"
red=$(red_share "$WORK/still-locked.png")
awk -v r="$red" 'BEGIN { exit !(r > 0.99) }' || fail "the saver came back over the locker ($red red)"
(($(grep -c "$SHOWN" "$WORK/app.err") == 4)) || fail "shown again while the locker holds the seat"
pass "not shown again in 3 s of the locker"
kill -TERM "$locker"
wait "$locker" 2>/dev/null || true
kill -TERM "$keyboard"
wait "$keyboard" 2>/dev/null || true
sleep 0.5
expect_nothing_shown unlocked
pass "unlocked, the desktop is back"

end_with_sigterm "SIGTERM"
pass "SIGTERM ends it with status 0 in $APP_MILLISECONDS ms"

# On X11 the screen-saver daemons run savers on idle: --idle says so, before any window.
status=0
env -u WAYLAND_DISPLAY DISPLAY=:0 timeout 10 "$FLAKEMORPH" --idle 5 >"$WORK/out" 2>"$WORK/err" ||
  status=$?
[[ $status == 1 && "$(cat "$WORK/err")" == "flakemorph: --idle is for Wayland compositors; on X11 a screen-saver daemon runs flakemorph when the session is idle" ]] ||
  fail "--idle on X11: status $status, said: $(cat "$WORK/err")"
pass "--idle on X11: '$(cat "$WORK/err")', status 1"
