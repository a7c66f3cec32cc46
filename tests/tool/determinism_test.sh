#!/usr/bin/env bash
# A run of flakemorph-trace depends on nothing but its arguments: the same clock or the same
# random file gives the same logs, also across the re-seed of a new cycle; another time of day
# gives another run.
# shellcheck source=tests/tool/trace_lib.sh
source "$(dirname "$0")/trace_lib.sh"

# 152 frames take in the build of the second cycle and its first morph frame.
readonly FRAMES=152

run_clock() {
  "$TRACE" --frames "$FRAMES" --ops --state --clock "$1" >"$2" || fail "--clock $1: status $?"
}

test_same_clock_same_run() {
  run_clock 43200.25 "$WORK/first"
  run_clock 43200.25 "$WORK/second"
  cmp -s "$WORK/first" "$WORK/second" || fail "two runs with --clock 43200.25 differ"
  # The same instant written another way.
  run_clock 43200.250000000 "$WORK/third"
  cmp -s "$WORK/first" "$WORK/third" || fail "--clock 43200.250000000 differs from 43200.25"
}

test_other_clock_other_run() {
  run_clock 43200.25 "$WORK/first"
  run_clock 7 "$WORK/other"
  ! cmp -s "$WORK/first" "$WORK/other" || fail "--clock 7 and --clock 43200.25 give the same run"
}

test_same_stream_same_run() {
  # A stream that is not constant, so that each draw has its own value.
  awk -v count="$(draws_for_frames 3)" \
    'BEGIN { for (i = 0; i < count; i++) printf "%.6f\n", 0.25 + (i % 7) / 1000 }' \
    >"$WORK/stream"
  "$TRACE" --frames 3 --ops --state --random "$WORK/stream" >"$WORK/first" ||
    fail "first scripted run: status $?"
  "$TRACE" --frames 3 --ops --state --random "$WORK/stream" >"$WORK/second" ||
    fail "second scripted run: status $?"
  cmp -s "$WORK/first" "$WORK/second" || fail "two runs with the same stream differ"
}

test_same_clock_same_run
test_other_clock_other_run
test_same_stream_same_run
echo "PASS"
