#!/usr/bin/env bash
# --wallpaper: the animation beneath every window, taking no keys or clicks, ended by SIGTERM
# or SIGINT alone. While a full-screen window covers it the compositor asks it for no frames,
# and it spends no time; uncovered, it moves again.
source "$(dirname "${BASH_SOURCE[0]}")/wayland_lib.sh"

start_sway 1280 720
FLAKEMORPH_ARGS=(--wallpaper)
start_wayland_flakemorph
wallpaper=$APP_PID
wait_for_said '^flakemorph: window HEADLESS-1 (wallpaper): 1280x720 pixels' 10
wait_for_said '^fps ' 10
grab HEADLESS-1 "$WORK/bare.png"
expect_circles HEADLESS-1 "$WORK/bare.png"

wtype -s 300 -k a
"$VIRTUAL_POINTER" wait 300 abs 640 360 1280 720 wait 50 click 272 wait 200
kill -0 "$wallpaper" 2>/dev/null || fail "a key or a click ended the wallpaper"
pass "keys and clicks leave the wallpaper alone"

# A full-screen window over it.
"$FLAKEMORPH" --window --geometry 400x300 >"$WORK/cover.out" 2>&1 &
cover=$!
OTHER_PIDS+=("$cover")
deadline=$(($(now_ms) + 10000))
until swaymsg '[app_id="flakemorph"] fullscreen enable' >/dev/null 2>&1; do
  (($(now_ms) < deadline)) || fail "no window to make full-screen"
  sleep 0.1
done
sleep 1
ticks=$(cpu_ticks "$wallpaper")
sleep 2
spent=$(($(cpu_ticks "$wallpaper") - ticks))
((spent <= 2)) || fail "covered, the wallpaper used $spent ticks of CPU in 2 s"
pass "covered by a full-screen window, it used $spent ticks of CPU in 2 s"

kill -TERM "$cover"
wait "$cover" || fail "the covering window ended with status $?"
sleep 1
grab HEADLESS-1 "$WORK/uncovered.png"
expect_circles HEADLESS-1 "$WORK/uncovered.png"
ticks=$(cpu_ticks "$wallpaper")
sleep 0.5
grab HEADLESS-1 "$WORK/moved.png"
((($(cpu_ticks "$wallpaper") - ticks) > 0)) || fail "uncovered, the wallpaper still does nothing"
moved=$("$COMPARE" -metric AE "$WORK/uncovered.png" "$WORK/moved.png" null: 2>&1 || true)
((${moved%%.*} > 1000)) || fail "uncovered, only $moved pixels changed in half a second"
pass "uncovered, it moves again: $moved pixels changed in half a second"

since=$(now_ms)
kill -TERM "$wallpaper"
wait_for_exit 2 "$since"
[[ "$APP_STATUS" == 0 ]] || fail "SIGTERM: status $APP_STATUS"
pass "SIGTERM ends the wallpaper with status 0"
