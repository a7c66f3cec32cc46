#!/usr/bin/env bash
# The running animation: coloured circles on black, a picture that keeps moving, and a key
# that still ends it at once.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

start_xvfb
start_flakemorph
find_window
sleep 1

screenshot "$WORK/first.png"
share=$(non_black_share "$WORK/first.png")
colours=$("$CONVERT" "$WORK/first.png" -format '%k' info:)
awk -v s="$share" 'BEGIN { exit !(s > 0.005 && s < 0.5) }' ||
  fail "a share of $share of the pixels is drawn; expected circle outlines on black"
((colours > 8)) || fail "only $colours colours on the screen"
pass "circles on the screen: $share of the pixels drawn, in $colours colours"

sleep 0.5
screenshot "$WORK/second.png"
changed=$("$COMPARE" -metric AE "$WORK/first.png" "$WORK/second.png" null: 2>&1 || true)
((${changed%%.*} > 1000)) || fail "only $changed pixels changed in half a second"
pass "the picture moves: $changed pixels changed in half a second"

since=$(now_ms)
xdotool key space
expect_clean_exit_within 2 "$since" "space while the animation runs"
