#!/usr/bin/env bash
# On a scaled desktop every page pixel fills a block of screen pixels: with --scale 2 the
# picture is exactly made of 2x2 blocks, on pages half the screen's size; /s takes the scale
# from the desktop's DPI (144, 150%, counts as 2) and at 96 has none.
# shellcheck source=tests/windows/gui/wine_lib.sh
source "$(dirname "$0")/wine_lib.sh"
start_xvfb
start_wine_server
store_settings
DPI_KEY='HKCU\Control Panel\Desktop'
trap 'wine reg delete "$DPI_KEY" /v LogPixels /f >/dev/null 2>&1 || true; wineserver -k 2>/dev/null || true; cleanup' EXIT

# Runs the saver with the arguments, and gives its window line once it draws; a key ends it.
window_line() {
  FLAKEMORPH_STATS=1 start_saver "$@"
  wait_until_drawing 2
  screenshot "$WORK/screen.png"
  xdotool key space
  wait_for_exit 10
  [[ "$APP_STATUS" == 0 ]] || fail "$*: status $APP_STATUS"
  grep '^flakemorph: window ' "$WORK/app.err" | tr -d '\r'
}

line=$(window_line --scale 2)
[[ "$line" == "flakemorph: window 1 (full screen): 1280x720 pixels at 0,0, pages 640x360 at scale 2" ]] ||
  fail "--scale 2: $line"
# Below the frame-rate text's corner, every 2x2 block is one colour: taking one pixel of each
# and doubling it gives the picture back.
"$CONVERT" "$WORK/screen.png" -sample 50% -sample 200% "$WORK/blocks.png"
differing=$("$COMPARE" -metric AE "$WORK/screen.png" "$WORK/blocks.png" null: 2>&1 || true)
[[ "$differing" == 0 ]] || fail "--scale 2: $differing pixels are not in 2x2 blocks"
lit=$(non_black_share "$WORK/screen.png")
awk -v s="$lit" 'BEGIN { exit !(s > 0.01) }' || fail "--scale 2: nothing drawn ($lit lit)"
pass "--scale 2 draws 2x2 blocks from pages of 640x360 ($lit lit)"

wine reg add "$DPI_KEY" /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
wineserver -k
wineserver -w
wineserver -p
line=$(window_line /s)
[[ "$line" == *"pages 640x360 at scale 2" ]] || fail "/s at 144 dpi: $line"
pass "/s at 144 dpi takes scale 2"

wine reg delete "$DPI_KEY" /v LogPixels /f >/dev/null 2>&1
wineserver -k
wineserver -w
wineserver -p
line=$(window_line /s)
[[ "$line" == "flakemorph: window 1 (full screen): 1280x720 pixels at 0,0" ]] ||
  fail "/s at 96 dpi: $line"
pass "/s at 96 dpi has no scale"
echo PASS
