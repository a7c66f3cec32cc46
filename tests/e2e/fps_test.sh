#!/usr/bin/env bash
# --fps: a small box of text in the top-left corner, the frame rate and the CPU load, laid over
# the picture and refreshed once a second; without it the corner is the animation's alone.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

# The box's place: a margin and a padding of a third of the font size (14 at 720 pixels).
corner_share() {
  "$CONVERT" "$1" -crop "$2" +repage "$WORK/corner.png"
  overlay_share "$WORK/corner.png"
}

# The text's light pixels in the box.
text_pixels() {
  "$CONVERT" "$1" -crop "$2" +repage -alpha off -fill black +opaque white \
    -fill white -opaque white -format '%[fx:int(mean*w*h+0.5)]' info:
}

# Starts the program with FLAKEMORPH_ARGS and, once it has drawn a while, takes $WORK/$1.png.
start_and_shoot() {
  start_flakemorph
  find_window
  sleep 1.5
  screenshot "$WORK/$1.png"
}

start_xvfb

start_and_shoot plain
share=$(corner_share "$WORK/plain.png" 150x18+6+6)
awk -v s="$share" 'BEGIN { exit !(s < 0.05) }' || fail "without --fps the corner has a box ($share)"
kill -TERM "$APP_PID"
wait_for_exit 2
pass "without --fps the corner holds no box"

FLAKEMORPH_ARGS=(--fps)
start_and_shoot fps
share=$(corner_share "$WORK/fps.png" 150x18+6+6)
awk -v s="$share" 'BEGIN { exit !(s > 0.4) }' || fail "with --fps only $share of the corner is the box"
light=$(text_pixels "$WORK/fps.png" 200x30+0+0)
((light > 40)) || fail "with --fps only $light pixels of text in the corner"
differing=$("$COMPARE" -metric AE -extract 200x30+0+0 "$WORK/plain.png" "$WORK/fps.png" null: 2>&1 ||
  true)
((${differing%%.*} > 1000)) || fail "the corner differs from a run without --fps in $differing pixels"
pass "the box and its text in the corner: $share of it grey, $light pixels of text"

# The picture goes on beneath and beside it.
share=$(non_black_share "$WORK/fps.png")
awk -v s="$share" 'BEGIN { exit !(s > 0.005 && s < 0.5) }' || fail "no circles with --fps ($share)"
pass "circles with --fps: $share of the pixels drawn"
since=$(now_ms)
xdotool key space
expect_clean_exit_within 2 "$since" "space with --fps"

# Each new text reaches the screen, not only the one shown with the first, whole page: stopped
# before its first second, the box shows the text of the start; a few seconds later, another.
for attempt in 1 2 3 4 5; do
  start_flakemorph FLAKEMORPH_STATS=1
  find_window
  kill -STOP "$APP_PID"
  screenshot "$WORK/first.png"
  share=$(corner_share "$WORK/first.png" 150x18+6+6)
  if ! grep -q '^fps ' "$WORK/app.err" && awk -v s="$share" 'BEGIN { exit !(s > 0.4) }'; then
    break
  fi
  kill -KILL "$APP_PID"
  wait_for_exit 2
  ((attempt < 5)) || fail "could not catch the box before the first second"
done
kill -CONT "$APP_PID"
wait_for_stats_lines "$WORK/app.err" 2 10
screenshot "$WORK/later.png"
differing=$("$COMPARE" -metric AE -extract 150x18+6+6 "$WORK/first.png" "$WORK/later.png" null: 2>&1 ||
  true)
((${differing%%.*} > 20)) || fail "the text in the box did not change on the screen ($differing pixels)"
pass "the box's text is refreshed on the screen ($differing pixels changed)"
kill -TERM "$APP_PID"
wait_for_exit 2

# The preview window has it too, in its own corner.
SCREEN_WIDTH=1280
FLAKEMORPH_ARGS=(--fps --geometry 480x300)
start_and_shoot preview
eval "$(xdotool getwindowgeometry --shell "$WID")"
share=$(corner_share "$WORK/preview.png" "80x12+$((X + 5))+$((Y + 5))")
awk -v s="$share" 'BEGIN { exit !(s > 0.4) }' || fail "no box in the preview window's corner ($share)"
pass "the box in the corner of the preview window"
end_with_sigterm "SIGTERM with --fps"
