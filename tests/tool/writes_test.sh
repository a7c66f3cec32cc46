#!/usr/bin/env bash
# What the tool writes either arrives whole or the run ends at once with one line and status 1:
# help and version to a full disk or a closed stream, logs nobody reads (SIGPIPE ignored, as a
# service manager or a script may leave it), and pictures to a full disk. A picture is written
# to a new file of its own and put in place whole, so no file a planted link points to is
# written through, and no cut-off picture is left.
# shellcheck source=tests/tool/trace_lib.sh
source "$(dirname "$0")/trace_lib.sh"

# expect_failure WHAT MESSAGE: the run just made ended with status 1 and this one line.
expect_failure() {
  local what=$1 message=$2
  ((status == 1)) || fail "$what: status $status, not 1: $(head -3 "$WORK/err")"
  (($(wc -l <"$WORK/err") == 1)) || fail "$what: not one line on stderr: $(cat "$WORK/err")"
  grep -qF -- "flakemorph-trace: $message" "$WORK/err" ||
    fail "$what: stderr lacks 'flakemorph-trace: $message': $(cat "$WORK/err")"
}

test_help_and_version_that_cannot_be_written() {
  local option
  for option in help version; do
    status=0
    "$TRACE" --"$option" >/dev/full 2>"$WORK/err" || status=$?
    expect_failure "--$option to a full disk" "cannot write the $option: No space left on device"
    status=0
    "$TRACE" --"$option" >&- 2>"$WORK/err" || status=$?
    expect_failure "--$option to a closed stream" "cannot write the $option: standard output is closed"
  done
  status=0
  "$TRACE" --frames 1 --clock 1 --state >&- 2>"$WORK/err" || status=$?
  expect_failure "a log to a closed stream" "cannot write the log: standard output is closed"
  # With no log asked for, a closed standard output is no matter, and no picture takes its place.
  "$TRACE" --frames 2 --clock 1 --png "$WORK/closed" >&- || fail "pictures with stdout closed: status $?"
  "$TRACE" --frames 2 --clock 1 --png "$WORK/open" || fail "pictures: status $?"
  cmp -s "$WORK/closed/frame-000002.png" "$WORK/open/frame-000002.png" ||
    fail "a picture written with standard output closed differs"
}

# A run of 10 million frames stops at the first write after `head` has gone, long before its
# end (the timeout only keeps a run that goes on from holding up the tests).
test_logs_nobody_reads_end_the_run() {
  status=0
  (
    trap '' PIPE
    timeout 60 "$TRACE" --frames 10000000 --clock 1 --state 2>"$WORK/err" | head -1 >/dev/null
    exit "${PIPESTATUS[0]}"
  ) || status=$?
  expect_failure "a log into a closed pipe" "cannot write the log: Broken pipe"
}

test_pictures_do_not_follow_planted_links() {
  mkdir "$WORK/shared"
  echo "precious" >"$WORK/target"
  ln -s "$WORK/target" "$WORK/shared/frame-000001.png"
  ln -s "$WORK/nowhere" "$WORK/shared/frame-000002.png"
  "$TRACE" --frames 2 --clock 1 --png "$WORK/shared" || fail "run: status $?"
  [[ "$(cat "$WORK/target")" == precious ]] || fail "the link's target was written through"
  [[ ! -e "$WORK/nowhere" ]] || fail "the dangling link's target was created"
  local frame
  for frame in 1 2; do
    [[ -f "$WORK/shared/frame-00000$frame.png" && ! -L "$WORK/shared/frame-00000$frame.png" ]] ||
      fail "frame $frame is not a picture of its own"
    cmp -s "$WORK/shared/frame-00000$frame.png" "$WORK/open/frame-00000$frame.png" ||
      fail "frame $frame differs from that of a run into an empty folder"
  done
  [[ "$(ls -A "$WORK/shared")" == $'frame-000001.png\nframe-000002.png' ]] ||
    fail "left in the folder: $(ls -A "$WORK/shared")"
}

# Needs a small file system of its own: a tmpfs, which root can mount.
test_a_full_disk_leaves_no_cut_off_picture() {
  mkdir "$WORK/small"
  if ! mount -t tmpfs -o size=64k flakemorph-test "$WORK/small" 2>/dev/null; then
    echo "SKIP: cannot mount a small tmpfs here"
    return
  fi
  trap 'umount "$WORK/small"; rm -rf "$WORK"' EXIT
  status=0
  "$TRACE" --frames 20 --clock 1 --png "$WORK/small" 2>"$WORK/err" || status=$?
  expect_failure "pictures to a full disk" "cannot write the picture of frame "
  grep -q "No space left on device" "$WORK/err" || fail "the cause is not named: $(cat "$WORK/err")"
  local last picture
  last=$(sed -n 's/.*picture of frame \([0-9]*\) .*/\1/p' "$WORK/err")
  ((last > 1)) || fail "not even frame 1 fitted: $(cat "$WORK/err")"
  "$TRACE" --frames "$last" --clock 1 --png "$WORK/full" || fail "run to compare: status $?"
  for picture in "$WORK"/small/* "$WORK"/small/.[!.]*; do
    [[ -e "$picture" ]] || continue
    [[ "$picture" == */frame-*.png ]] || fail "left behind: $picture"
    cmp -s "$picture" "$WORK/full/${picture##*/}" || fail "${picture##*/} is not whole"
  done
  [[ ! -e "$WORK/small/$(printf 'frame-%06d.png' "$last")" ]] ||
    fail "the picture of frame $last, which could not be written, is there"
}

test_help_and_version_that_cannot_be_written
test_logs_nobody_reads_end_the_run
test_pictures_do_not_follow_planted_links
test_a_full_disk_leaves_no_cut_off_picture
echo "PASS"
