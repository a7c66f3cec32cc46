#!/usr/bin/env bash
# Without the layer shell (forced here under sway, as GNOME and weston lack it) flakemorph
# covers every output with a full-screen window, and clicks and keys end it; --window is an
# ordinary window of the size asked for; --backend x11 keeps to X11 even on Wayland.
source "$(dirname "${BASH_SOURCE[0]}")/wayland_lib.sh"

start_sway 1280 720
add_output 2 1024 768 1280
start_wayland_flakemorph FLAKEMORPH_NO_LAYER_SHELL=1
wait_for_said '^flakemorph: 2 windows' 10
grep -q '^flakemorph: window HEADLESS-1 (full screen): 1280x720 pixels' "$WORK/app.err" &&
  grep -q '^flakemorph: window HEADLESS-2 (full screen): 1024x768 pixels' "$WORK/app.err" ||
  fail "not a full-screen window on each output: $(cat "$WORK/app.err")"
pass "a full-screen window on each output"
# Within the first second, when the compositor shows tiles of its background through a new
# window that only its changes are damaged on.
sleep 0.4
grab HEADLESS-1 "$WORK/one.png"
grab HEADLESS-2 "$WORK/two.png"
expect_circles HEADLESS-1 "$WORK/one.png"
expect_circles HEADLESS-2 "$WORK/two.png"
since=$(now_ms)
"$VIRTUAL_POINTER" wait 300 abs 1500 300 2304 768 wait 50 click 272 wait 50
wait_for_exit 2 "$since"
[[ "$APP_STATUS" == 0 ]] || fail "a click: status $APP_STATUS"
pass "a click on the second output ends it with status 0 in $APP_MILLISECONDS ms"

FLAKEMORPH_ARGS=(--window --geometry 640x480)
start_wayland_flakemorph
wait_for_said '^flakemorph: window preview (framed): 640x480 pixels' 10
grep -q "^flakemorph: window preview (framed): 640x480 pixels, the compositor's frame$" \
  "$WORK/app.err" || fail "--window without sway's own frame: $(cat "$WORK/app.err")"
wait_for_said '^fps ' 10
# The only window there is, so the only window_rect of another size than 0 x 0.
tree=$(swaymsg -t get_tree -r | tr -d ' \n')
[[ "$tree" == *'"window_rect":{"x":0,"y":0,"width":640,"height":480}'* ]] ||
  fail "the window is not 640x480: $tree"
# On whichever output the compositor put it.
timeout 10 grim "$WORK/window.png" || fail "grim could not take a picture"
lit=$(lit_pixels "$WORK/window.png")
((lit > 1000)) || fail "only $lit pixels of the window lit"
pass "--window: an ordinary window of 640x480 ($lit pixels lit)"
since=$(now_ms)
wtype -s 300 -k a
wait_for_exit 2 "$since"
[[ "$APP_STATUS" == 0 ]] || fail "a key on the window: status $APP_STATUS"
pass "a key ends the window with status 0"

# The compositor asked to close the window (sway's kill, as the close button of a frame).
start_wayland_flakemorph
wait_for_said '^fps ' 10
since=$(now_ms)
swaymsg '[app_id="flakemorph"] kill' >/dev/null || fail "sway could not close the window"
wait_for_exit 2 "$since"
[[ "$APP_STATUS" == 0 ]] || fail "closed by the compositor: status $APP_STATUS"
pass "closed by the compositor, it ends with status 0 in $APP_MILLISECONDS ms"

status=0
env -u DISPLAY timeout 10 "$FLAKEMORPH" --backend x11 >"$WORK/out" 2>"$WORK/err" || status=$?
[[ $status == 1 ]] && grep -q '^flakemorph: cannot open a window' "$WORK/err" ||
  fail "--backend x11 without an X display: status $status, said $(cat "$WORK/err")"
pass "--backend x11 on Wayland without an X display: '$(head -n 1 "$WORK/err")', status 1"

# --fps: the frame rate in a box of its own in the top-left corner, over the animation.
FLAKEMORPH_ARGS=(--fps)
start_wayland_flakemorph
wait_for_stats_lines "$WORK/app.err" 2 10
grab HEADLESS-1 "$WORK/fps.png"
"$CONVERT" "$WORK/fps.png" -crop 300x40+0+0 +repage "$WORK/corner.png"
box=$("$CONVERT" "$WORK/corner.png" -alpha off -fill black +opaque 'rgb(40,40,40)' -fill white \
  -opaque 'rgb(40,40,40)' -format '%[fx:round(mean*w*h)]' info:)
ink=$("$CONVERT" "$WORK/corner.png" -alpha off -fill black +opaque white -format '%[fx:round(mean*w*h)]' \
  info:)
((box > 1500 && ink > 200)) || fail "--fps: $box pixels of the box and $ink of its text in the corner"
pass "--fps: the frame rate in the top-left corner ($box pixels of box, $ink of text)"
since=$(now_ms)
wtype -s 300 -k a
wait_for_exit 2 "$since"
[[ "$APP_STATUS" == 0 ]] || fail "--fps, a key: status $APP_STATUS"
