#!/usr/bin/env bash
# The state log of flakemorph-trace: the first figure with its 360 points, the start-up with
# 360 scatter angles, then every cycle's new figure (slot 1, then 0, ...) and every frame
# numbered with its phase, followed by the wander, both figures and the 360 particles. Each
# record has its fixed number of fields, integers where the state is whole.
# shellcheck source=tests/tool/trace_lib.sh
source "$(dirname "$0")/trace_lib.sh"

# Field counts and number forms of each record; I marks an integer, R a real as %.9g prints
# it, and - a word.
check_fields() {
  awk '
    BEGIN {
      form["build"] = "IIIIIIIRRRRRRI"; form["point"] = "IIRRII"; form["startup"] = "II"
      form["azimuth"] = "IR"; form["frame"] = "I-I"; form["wander"] = "RRRI"
      form["figure"] = "IRRR"; form["particle"] = "IRRRRIRRI"
    }
    function bad(why) { print "line " NR " (" why "): " $0; exit 1 }
    {
      if (!($1 in form)) bad("unknown record")
      f = form[$1]
      if (NF != length(f) + 1) bad("field count")
      for (i = 2; i <= NF; i++) {
        kind = substr(f, i - 1, 1)
        if (kind == "I" && $i !~ /^-?[0-9]+$/) bad("field " i " not an integer")
        if (kind == "R" && $i !~ /^-?[0-9]+(\.[0-9]+)?(e[-+][0-9]+)?$/) bad("field " i " not a real")
      }
      if ($1 == "frame" && $3 != "morph" && $3 != "hold") bad("phase")
    }' "$1" >"$WORK/bad" || fail "$2: $(cat "$WORK/bad")"
}

test_short_scripted_run() {
  stream "$(draws_for_frames 2)" >"$WORK/stream"
  "$TRACE" --frames 2 --random "$WORK/stream" --state >"$WORK/state" || fail "run: status $?"
  expect_shape "2 frames" "$WORK/state" 0 1 2
  check_fields "$WORK/state" "2 frames"
}

# Two whole cycles and the first frame of the third: builds into slots 1, 0 and 1, the morph
# counted 1 to 100 and the hold 1 to 50 in each.
test_two_cycles() {
  "$TRACE" --frames 301 --clock 61234.5 --state >"$WORK/state" || fail "run: status $?"
  expect_shape "301 frames" "$WORK/state" 0 1 301
  check_fields "$WORK/state" "301 frames"
}

test_short_scripted_run
test_two_cycles
echo "PASS"
