#!/usr/bin/env bash
# On Wayland flakemorph covers every output with an animation of its own, the whole output and
# nothing of the compositor's background, from the first second on; an output added while it
# runs gets one too, and one removed takes its animation along.
source "$(dirname "${BASH_SOURCE[0]}")/wayland_lib.sh"

start_sway 1280 720
add_output 2 1024 768 1280
start_wayland_flakemorph
wait_for_said '^flakemorph: 2 windows' 10
grep -q '^flakemorph: window HEADLESS-1 (overlay): 1280x720 pixels$' "$WORK/app.err" ||
  fail "no overlay of 1280x720 on HEADLESS-1: $(cat "$WORK/app.err")"
grep -q '^flakemorph: window HEADLESS-2 (overlay): 1024x768 pixels$' "$WORK/app.err" ||
  fail "no overlay of 1024x768 on HEADLESS-2: $(cat "$WORK/app.err")"
pass "an overlay on each output, of its size"

# Within the first second, when a surface damaged by tiles alone would still show tiles of the
# compositor's background.
sleep 0.5
grab HEADLESS-1 "$WORK/one.png"
grab HEADLESS-2 "$WORK/two.png"
expect_circles HEADLESS-1 "$WORK/one.png"
expect_circles HEADLESS-2 "$WORK/two.png"
sleep 1.5
grab HEADLESS-1 "$WORK/one-later.png"
grab HEADLESS-2 "$WORK/two-later.png"
expect_circles HEADLESS-1 "$WORK/one-later.png"
expect_circles HEADLESS-2 "$WORK/two-later.png"

# Two animations of their own: the same part of both outputs shows different flakes.
"$CONVERT" "$WORK/one-later.png" -crop 1024x720+128+0 +repage "$WORK/one-part.png"
"$CONVERT" "$WORK/two-later.png" -crop 1024x720+0+24 +repage "$WORK/two-part.png"
differ=$("$COMPARE" -metric AE "$WORK/one-part.png" "$WORK/two-part.png" null: 2>&1 || true)
((${differ%%.*} > 2000)) || fail "the two outputs show nearly the same picture ($differ differ)"
pass "each output its own flake: $differ pixels differ"

# An output added while it runs.
add_output 3 800 600 2304
added=$(now_ms)
wait_for_said '^flakemorph: window HEADLESS-3 (overlay): 800x600 pixels$' 1
sleep 0.5
grab HEADLESS-3 "$WORK/three.png"
expect_circles HEADLESS-3 "$WORK/three.png"
pass "an output added while it runs has its animation $(($(now_ms) - added)) ms later"
grab HEADLESS-1 "$WORK/one-still.png"
expect_circles HEADLESS-1 "$WORK/one-still.png"

# Outputs removed (sway keeps its last one on: the end of the last is not tried here).
swaymsg output HEADLESS-3 disable >/dev/null
swaymsg output HEADLESS-2 disable >/dev/null
sleep 1
kill -0 "$APP_PID" 2>/dev/null || fail "it ended when two of three outputs went"
grab HEADLESS-1 "$WORK/one-alone.png"
expect_circles HEADLESS-1 "$WORK/one-alone.png"
before=$(grep -c '^fps ' "$WORK/app.err")
wait_for_stats_lines "$WORK/app.err" $((before + 2)) 5
pass "two outputs removed, it runs on the first"
since=$(now_ms)
wtype -s 300 -k a
wait_for_exit 2 "$since"
[[ "$APP_STATUS" == 0 ]] || fail "a key after the outputs went: status $APP_STATUS"
pass "a key then ends it with status 0"
