#!/usr/bin/env bash
# The page in a real browser (headless Chromium): stopped at frame N it shows exactly the
# picture of flakemorph-trace --clock 43200 --frames N, pixel for pixel, at sizes even and odd,
# opened from disk and from a server, and at device pixel ratios of 1, 1.25 and 2 (page pixels
# of one device pixel, and of 2 x 2); live, it draws circles that change, from a timer where
# requestAnimationFrame does not call back, and none while it is hidden; input takes it into
# full screen and out as the end policy says; a wrong option is said on the page; the Lively package holds what Lively reads.
source "$(dirname "$0")/web_lib.sh"
skip_without_linux_build
command -v chromium >/dev/null || { echo "SKIP: no chromium"; exit 77; }
PAGE="$BUILD_DIR/flakemorph.html"
[[ -s "$PAGE" ]] || fail "$PAGE is not built"
cd "$WORK"

# page URL WxH SCALE NAME MOMENT...: the page watched by browser.mjs; its JSON line in NAME.json.
page() {
  local url=$1 size=$2 scale=$3 name=$4
  shift 4
  "$NODE" "$SOURCE_DIR/tests/web/browser.mjs" "$url" "$size" "$scale" "$name" "$@" > "$name.json" ||
    fail "$name: the browser did not show the page"
}

# still URL_BASE PAGE_SIZE SCALE FRAMES TRACE_SIZE: the page at frame FRAMES is the trace's
# picture at TRACE_SIZE, each page pixel SCALE x SCALE device pixels.
still() {
  local base=$1 size=$2 scale=$3 frames=$4 trace_size=$5
  local name="still-${size}-${scale}-$frames"
  page "$base?clock=43200&frames=$frames" "$size" "$scale" "$name" 1000
  grep -q "\"frames\":\[$frames\]" "$name.json" || fail "$name: $(cat "$name.json")"
  "$LINUX_TRACE" --size "$trace_size" --frames "$frames" --clock 43200 --png "trace-$name" \
    --every "$frames" > /dev/null
  local picture
  picture="trace-$name/frame-$(printf %06d "$frames").png"
  [[ $scale == 2 ]] && convert "$picture" -scale 200% "$picture"
  same_pixels "$picture" "$name-1000.png" ||
    fail "$name: the page differs from the trace's picture at $trace_size in $(
      compare -metric AE "$picture" "$name-1000.png" null: 2>&1) pixels"
  echo "same: $base at $size, ratio $scale, frame $frames"
}

still "file://$PAGE" 448x439 1 300 448x439
still "file://$PAGE" 333x200 1 451 333x200
still "file://$PAGE" 1280x720 1 150 1280x720
# Below a ratio of 1.5 every device pixel is a page pixel; at 2 every page pixel is 2 x 2.
still "file://$PAGE" 400x250 1.25 120 400x250
still "file://$PAGE" 640x400 2 200 320x200

# Served: the one file, and the page that loads its script and module from beside it.
port=$((20000 + RANDOM % 20000))
python3 -m http.server "$port" --bind 127.0.0.1 --directory "$BUILD_DIR" > server.log 2>&1 &
server=$!
trap 'kill "$server" 2>/dev/null; rm -rf "$WORK"' EXIT
for _ in $(seq 50); do
  (exec 3<> "/dev/tcp/127.0.0.1/$port") 2> /dev/null && break
  sleep 0.1
done
still "http://127.0.0.1:$port/flakemorph.html" 333x200 1 451 333x200
still "http://127.0.0.1:$port/served/index.html" 333x200 1 451 333x200

# Live: circles that change from moment to moment, frame after frame.
page "file://$PAGE" 640x360 1 live 500 1500
frames=$(sed 's/.*"frames":\[\([0-9]*\),\([0-9]*\)\].*/\1 \2/' live.json)
read -r first second <<<"$frames"
((second > first)) || fail "live: no frames drawn between the screenshots: $(cat live.json)"
for moment in 500 1500; do
  lit=$(convert "live-$moment.png" -colorspace Gray -threshold 10% -format '%[fx:int(mean*w*h)]' info:)
  ((lit > 500)) || fail "live: hardly anything drawn at $moment ms ($lit pixels lit)"
done
! same_pixels live-500.png live-1500.png || fail "live: the picture did not change"
echo "live: frames $first then $second, pictures differ"

# Where requestAnimationFrame never calls back, a timer draws the frames; a still is the same.
NO_ANIMATION_FRAMES=1 page "file://$PAGE" 640x360 1 timer 500 1500
read -r first second <<<"$(sed 's/.*"frames":\[\([0-9]*\),\([0-9]*\)\].*/\1 \2/' timer.json)"
((second > first)) || fail "timer: no frames drawn between the screenshots: $(cat timer.json)"
! same_pixels timer-500.png timer-1500.png || fail "timer: the picture did not change"
echo "timer: frames $first then $second"
NO_ANIMATION_FRAMES=1 still "file://$PAGE" 333x200 1 451 333x200

# Hidden behind another tab it draws nothing; shown again it goes on.
page "file://$PAGE" 640x360 1 hidden 500 hide 700 1700 show 2700
read -r shown hidden_early hidden_late again <<<"$(sed 's/.*"frames":\[\([0-9,]*\)\].*/\1/; s/,/ /g' hidden.json)"
((hidden_late == hidden_early)) || fail "hidden: frames drawn while hidden: $(cat hidden.json)"
((again > hidden_late && hidden_early >= shown)) || fail "hidden: not going on: $(cat hidden.json)"
echo "hidden: frames $shown, $hidden_early and $hidden_late while hidden, $again shown again"

# A key takes the page full screen; in full screen the mouse's jitter does not take it out, a
# hand on the mouse does, and a click takes it in and out again. As a wallpaper it takes no
# input at all.
full_screen() { sed 's/.*"fullScreen":\[\([a-z,]*\)\].*/\1/' "$1.json"; }
page "file://$PAGE" 640x360 1 input 200 key 600 move:100,100 move:102,101 900 move:160,100 1200 \
  click 1500 click 1800
[[ $(full_screen input) == false,true,true,false,true,false ]] ||
  fail "input: full screen at each moment: $(full_screen input)"
page "file://$BUILD_DIR/lively/flakemorph.html" 640x360 1 wallpaper 200 key 600 click 900
[[ $(full_screen wallpaper) == false,false,false ]] ||
  fail "wallpaper: full screen at each moment: $(full_screen wallpaper)"
echo "input: full screen on a key and a click, out of it on a move and a click; none as a wallpaper"

# A wrong option is said on the page, and nothing runs.
WAIT_FOR='document.querySelector(".flakemorph-error")' page "file://$PAGE?rate=0" 320x200 1 wrong 0
grep -q 'bad rate \\"0\\" for ?rate' wrong.json || fail "wrong option: $(cat wrong.json)"

# The Lively Wallpaper package: its two descriptions, the page as a wallpaper, a thumbnail.
zip="$BUILD_DIR/flakemorph-$(sed -n 's/^project(flakemorph VERSION \([0-9.]*\).*/\1/p' \
  "$SOURCE_DIR/CMakeLists.txt")-lively.zip"
mkdir lively && (cd lively && python3 -m zipfile -e "$zip" .)
for file in flakemorph.html LivelyInfo.json LivelyProperties.json thumbnail.png LICENSE; do
  [[ -s "lively/$file" ]] || fail "the Lively package has no $file"
done
python3 -c 'import json, sys
info = json.load(open("lively/LivelyInfo.json"))
properties = json.load(open("lively/LivelyProperties.json"))
assert info["Type"] == 1 and info["FileName"] == "flakemorph.html", info
assert properties["rate"]["type"] == "slider" and properties["fps"]["type"] == "checkbox"' ||
  fail "the Lively descriptions"
grep -q '<html lang="en" data-options="wallpaper">' lively/flakemorph.html ||
  fail "the Lively page is not a wallpaper"
echo "PASS"
