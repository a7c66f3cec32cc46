#!/usr/bin/env bash
# flakemorph-trace --png writes the front page after every K-th frame as an 8-bit RGB PNG of
# the client area's size, named by its frame number, and the pictures show the animation
# moving.
# shellcheck source=tests/tool/trace_lib.sh
source "$(dirname "$0")/trace_lib.sh"

# The first 26 bytes of a PNG: the signature, then the IHDR chunk with width and height as
# big-endian 32-bit numbers, bit depth and colour type (2: RGB).
expect_png() {
  local file=$1 width=$2 height=$3
  [[ -s "$file" ]] || fail "$file is missing or empty"
  local expected
  expected=$(printf '89 50 4e 47 0d 0a 1a 0a 00 00 00 0d 49 48 44 52 %08x %08x 08 02' \
    "$width" "$height" | sed -E 's/ ([0-9a-f]{2})([0-9a-f]{2})([0-9a-f]{2})([0-9a-f]{2})/ \1 \2 \3 \4/g')
  local actual
  actual=$(od -An -tx1 -N26 "$file" | tr -s ' \n' '  ' | sed -E 's/^ //; s/ $//')
  [[ "$actual" == "$expected" ]] ||
    fail "$file: not an 8-bit RGB PNG of ${width}x${height}: $actual"
}

# Frames 30 and 60 lie well apart in the first morph, so their pictures must differ; two
# black pages would not.
test_every_kth_frame() {
  "$TRACE" --frames 61 --clock 30000 --png "$WORK/pictures" --every 30 ||
    fail "run: status $?"
  local listing
  listing=$(cd "$WORK/pictures" && echo *)
  [[ "$listing" == "frame-000030.png frame-000060.png" ]] || fail "pictures written: $listing"
  expect_png "$WORK/pictures/frame-000030.png" 448 439
  expect_png "$WORK/pictures/frame-000060.png" 448 439
  ! cmp -s "$WORK/pictures/frame-000030.png" "$WORK/pictures/frame-000060.png" ||
    fail "frames 30 and 60 are the same picture"
}

test_size_and_folder_creation() {
  "$TRACE" --size 321x200 --frames 2 --clock 30000 --png "$WORK/new/deeper" ||
    fail "run: status $?"
  expect_png "$WORK/new/deeper/frame-000001.png" 321 200
  expect_png "$WORK/new/deeper/frame-000002.png" 321 200
}

test_same_run_same_pictures() {
  "$TRACE" --frames 30 --clock 30000 --png "$WORK/again" --every 30 || fail "run: status $?"
  cmp -s "$WORK/pictures/frame-000030.png" "$WORK/again/frame-000030.png" ||
    fail "the same clock gave a different frame 30"
}

# A decoder reads every pixel back (it checks every chunk's CRC and the zlib stream), and the
# circles are there in their colours over the black page.
test_pictures_decode() {
  local file=$WORK/pictures/frame-000060.png bytes colours
  bytes=$(convert "$file" rgb:- | wc -c) || fail "ImageMagick cannot read $file"
  ((bytes == 448 * 439 * 3)) || fail "$file decodes to $bytes bytes"
  colours=$(convert "$file" -format '%k' info:)
  ((colours > 20)) || fail "$file has only $colours colours"
}

test_every_kth_frame
test_pictures_decode
test_size_and_folder_creation
test_same_run_same_pictures
echo "PASS"
