#!/usr/bin/env bash
# flakemorph-trace rejects bad command lines with status 2 and its usage, and a bad or short
# random stream with a message that names the line or the number of draws.
# shellcheck source=tests/tool/trace_lib.sh
source "$(dirname "$0")/trace_lib.sh"

expect_usage_error() {
  local why=$1
  shift
  local status=0
  "$TRACE" "$@" >"$WORK/out" 2>"$WORK/err" || status=$?
  ((status == 2)) || fail "$why: status $status, not 2 (args: $*)"
  [[ ! -s "$WORK/out" ]] || fail "$why: printed on standard output (args: $*)"
  grep -q '^Usage: flakemorph-trace' "$WORK/err" || fail "$why: no usage on stderr (args: $*)"
  grep -q '^flakemorph-trace: ' "$WORK/err" || fail "$why: no message on stderr (args: $*)"
}

# expect_stream_error WHAT FILE FRAMES MESSAGE: the run fails with status 1 and says MESSAGE
# under the tool's name.
expect_stream_error() {
  local status=0
  "$TRACE" --frames "$3" --random "$2" >/dev/null 2>"$WORK/err" || status=$?
  ((status == 1)) || fail "$1: status $status, not 1"
  grep -qF -- "flakemorph-trace: $4" "$WORK/err" || fail "$1: stderr lacks '$4': $(cat "$WORK/err")"
}

test_help() {
  "$TRACE" --help >"$WORK/out" 2>"$WORK/err" || fail "--help: status $?"
  grep -q '^Usage: flakemorph-trace' "$WORK/out" || fail "--help: no usage on stdout"
  [[ ! -s "$WORK/err" ]] || fail "--help: wrote on stderr"
  # The version is written once, in the build's project line.
  local version
  version=$(sed -n 's/^project(flakemorph VERSION \([0-9.]*\).*/\1/p' "$SOURCE_DIR/CMakeLists.txt")
  [[ -n "$version" ]] || fail "no version in $SOURCE_DIR/CMakeLists.txt"
  "$TRACE" --frames 1 --version >"$WORK/out" 2>"$WORK/err" || fail "--version: status $?"
  [[ "$(cat "$WORK/out")" == "flakemorph-trace $version" && ! -s "$WORK/err" ]] ||
    fail "--version printed '$(cat "$WORK/out")' '$(cat "$WORK/err")'"
}

test_bad_arguments() {
  stream 10 >"$WORK/ok"
  expect_usage_error "unknown option" --frames 1 --clock 1 --colour
  expect_usage_error "stray word" --frames 1 --clock 1 extra
  expect_usage_error "missing value" --clock 1 --frames
  expect_usage_error "missing --frames" --clock 1
  expect_usage_error "neither source" --frames 1
  expect_usage_error "both sources" --frames 1 --clock 1 --random "$WORK/ok"
  expect_usage_error "repeated option" --frames 1 --frames 2 --clock 1
  expect_usage_error "negative frames" --frames -1 --clock 1
  expect_usage_error "fractional frames" --frames 1.5 --clock 1
  local size
  for size in 448 0x439 448x0 448x 448x439x1 -448x439 65535x10 axb " 448x439"; do
    expect_usage_error "bad size '$size'" --size "$size" --frames 1 --clock 1
  done
  local clock
  for clock in -1 86400 abc 1e3 1. .5 1:00; do
    expect_usage_error "bad clock '$clock'" --frames 1 --clock "$clock"
  done
  expect_usage_error "unreadable file" --frames 1 --random "$WORK/missing"
  expect_usage_error "folder as file" --frames 1 --random "$WORK"
  expect_usage_error "--every without --png" --frames 1 --clock 1 --every 2
  expect_usage_error "zero interval" --frames 1 --clock 1 --png "$WORK/png" --every 0
  : >"$WORK/plain"
  expect_usage_error "picture folder is a file" --frames 1 --clock 1 --png "$WORK/plain"
}

test_values_outside_the_unit_interval_name_their_line() {
  local bad
  for bad in 1 1.0 -0.25 1.5 nan abc 0.5x; do
    { stream 4; printf '%s\n' "$bad"; stream 4; } >"$WORK/bad"
    expect_stream_error "line 5 holds '$bad'" "$WORK/bad" 0 "$WORK/bad:5"
  done
}

# Each stream is exactly as long as start-up and the frames need: it runs, and one value less
# runs dry at the last draw. Through a whole cycle and into the next this pins the draws of a
# build, of a morph frame and of a hold frame.
test_exhausted_stream_says_after_how_many_draws() {
  local frames needed
  for frames in 0 1 2 100 101 150 151; do
    needed=$(draws_for_frames "$frames")
    stream "$needed" >"$WORK/exact"
    "$TRACE" --frames "$frames" --random "$WORK/exact" >/dev/null ||
      fail "$frames frames with $needed values: status $?"
    stream $((needed - 1)) >"$WORK/short"
    expect_stream_error "$frames frames, one value short" "$WORK/short" "$frames" \
      "$WORK/short: random stream exhausted after $((needed - 1)) draws"
  done
}

test_help
test_bad_arguments
test_values_outside_the_unit_interval_name_their_line
test_exhausted_stream_says_after_how_many_draws
echo "PASS"
