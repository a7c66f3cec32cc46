#!/usr/bin/env bash
# flakemorph-trace --from F runs every frame but writes the logs and pictures of frames F to N
# only, and those are exactly the lines and pictures of a whole run from frame F on; a first
# frame past the last is refused like any bad command line.
# shellcheck source=tests/tool/trace_lib.sh
source "$(dirname "$0")/trace_lib.sh"

readonly FRAMES=302

run_trace() {
  "$TRACE" --frames "$FRAMES" --clock 51234.5 "$@"
}

# The lines a whole state log (with or without the operations) holds after frame F - 1: that
# frame's records end with its 360th particle, 364 lines after its frame record.
tail_from_frame() {
  local start
  start=$(awk -v before="$(($2 - 1))" '$1 == "frame" && $2 == before { print NR + 364; exit }' "$1")
  [[ -n "$start" ]] || fail "frame $(($2 - 1)) is not in $1"
  tail -n +"$start" "$1"
}

test_logs_from_a_frame_are_the_tail_of_a_whole_run() {
  run_trace --ops --state >"$WORK/whole" || fail "whole run: status $?"
  local from
  # The second frame (whose page behind was never drawn on), inside a morph, the last hold
  # frame, the first frame of a new cycle (with its build), the last frame.
  for from in 2 37 150 151 "$FRAMES"; do
    run_trace --ops --state --from "$from" >"$WORK/part" || fail "--from $from: status $?"
    tail_from_frame "$WORK/whole" "$from" | cmp -s - "$WORK/part" ||
      fail "--from $from: not the tail of the whole run"
  done
  run_trace --state --from 151 >"$WORK/part" || fail "--state --from 151: status $?"
  head -1 "$WORK/part" | grep -q '^build 0 ' || fail "--from 151: the second cycle's build (into slot 0) is missing"
  run_trace --state --from 1 | cmp -s - <(run_trace --state) || fail "--from 1 is not a whole run"
}

test_pictures_from_a_frame() {
  run_trace --png "$WORK/whole-pictures" --every 25 || fail "whole run: status $?"
  run_trace --png "$WORK/pictures" --every 25 --from 230 || fail "--from 230: status $?"
  local listing
  listing=$(cd "$WORK/pictures" && echo *)
  [[ "$listing" == "frame-000250.png frame-000275.png frame-000300.png" ]] ||
    fail "pictures written from frame 230: $listing"
  local picture
  for picture in frame-000250.png frame-000275.png frame-000300.png; do
    cmp -s "$WORK/whole-pictures/$picture" "$WORK/pictures/$picture" ||
      fail "$picture differs from that of the whole run"
  done
  # The first frame shown is drawn whole, though the frames before it were not drawn at all.
  run_trace --png "$WORK/first" --every 25 --from 275 || fail "--from 275: status $?"
  cmp -s "$WORK/whole-pictures/frame-000275.png" "$WORK/first/frame-000275.png" ||
    fail "frame 275, the first shown, differs from that of the whole run"
  run_trace --from 300 >"$WORK/out" || fail "--from without logs: status $?"
  [[ ! -s "$WORK/out" ]] || fail "--from without logs wrote something"
}

test_bad_first_frames() {
  local from status
  for from in 0 -1 abc 1.5 "$((FRAMES + 1))"; do
    status=0
    run_trace --from "$from" >"$WORK/out" 2>"$WORK/err" || status=$?
    ((status == 2)) || fail "--from $from: status $status, not 2"
    [[ ! -s "$WORK/out" ]] || fail "--from $from: printed on standard output"
    grep -q '^Usage: flakemorph-trace' "$WORK/err" || fail "--from $from: no usage"
  done
  grep -qF -- "--from $((FRAMES + 1)) is past the last frame (--frames $FRAMES)" "$WORK/err" ||
    fail "--from past the end: $(head -1 "$WORK/err")"
}

test_logs_from_a_frame_are_the_tail_of_a_whole_run
test_pictures_from_a_frame
test_bad_first_frames
echo "PASS"
