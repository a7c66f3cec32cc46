#!/usr/bin/env bash
# The operation log of flakemorph-trace: both surfaces sized and blackened at start-up, then
# every frame cleared, drawn circle by circle and raised on the page behind, the first frame
# on page 1 and the pages taking turns from then on, across the hold and into the next cycle.
# shellcheck source=tests/tool/trace_lib.sh
source "$(dirname "$0")/trace_lib.sh"

# Every circle has a square box 2 * Size wide, so its width is even and positive, and every
# pen colour is a colour value with the top byte zero.
check_boxes_and_colours() {
  awk '
    $1 == "ellipse" && NF != 6 { print "line " NR ": " $0; exit 1 }
    $1 == "ellipse" {
      w = $5 - $3; h = $6 - $4
      if (w != h || w <= 0 || w % 2 != 0) { print "line " NR ": box " $0; exit 1 }
    }
    $1 == "forecolor" && (NF != 3 || $3 !~ /^[0-9]+$/ || $3 > 16777215) {
      print "line " NR ": " $0; exit 1
    }' "$1" >"$WORK/bad" || fail "$2: malformed drawing in the log: $(cat "$WORK/bad")"
}

test_short_scripted_run() {
  stream "$(draws_for_frames 3)" >"$WORK/stream"
  "$TRACE" --frames 3 --random "$WORK/stream" --ops >"$WORK/ops" || fail "run: status $?"
  expect_shape "3 frames" "$WORK/ops" 1 0 3
  check_boxes_and_colours "$WORK/ops" "3 frames"
}

# 151 frames: a morph, a hold and the first frame of the second cycle, which again falls on
# page 1 since a cycle has an even number of frames.
test_pages_alternate_through_a_cycle() {
  "$TRACE" --frames 151 --clock 43200 --ops >"$WORK/ops" || fail "run: status $?"
  expect_shape "151 frames" "$WORK/ops" 1 0 151
  check_boxes_and_colours "$WORK/ops" "151 frames"
}

test_surfaces_take_the_given_size() {
  "$TRACE" --size 801x603 --frames 1 --clock 0 --ops >"$WORK/ops" || fail "run: status $?"
  expect_shape "801x603" "$WORK/ops" 1 0 1 801 603
}

test_short_scripted_run
test_pages_alternate_through_a_cycle
test_surfaces_take_the_given_size
echo "PASS"
