#!/usr/bin/env bash
# A million frames (four and a half hours at 60 frames a second): the phases that only ever
# grow have been brought back below 2^15 on the way, and every scatter azimuth is still above
# 0. The clock alone grows by about 50,000 in that time, so it must have been brought back.
# Only an optimised build runs this, where it takes under a minute (the frames before --from
# are computed, not drawn).
# shellcheck source=tests/tool/trace_lib.sh
source "$(dirname "$0")/trace_lib.sh"

readonly FRAMES=1000000

"$TRACE" --size 24x24 --frames "$FRAMES" --from "$FRAMES" --clock 22222.5 --state \
  >"$WORK/state" || fail "run: status $?"
grep -qE "^frame $FRAMES (morph|hold) " "$WORK/state" || fail "no record of frame $FRAMES"

awk '
  function bad(why) { print "line " NR " (" why "): " $0; failed = 1; exit 1 }
  $1 == "wander" {
    for (i = 2; i <= 4; i++) if ($i + 0 >= 32768 || $i + 0 <= -32768) bad("wander field " i - 1)
    if ($2 + 0 < 0) bad("the clock is negative")
  }
  $1 == "particle" {
    ++particles
    if ($8 + 0 >= 32768 || $8 + 0 < 0) bad("elevation")
    if ($9 + 0 >= 32768 || $9 + 0 <= 0) bad("azimuth")
  }
  END { if (!failed && particles != 360) { print particles " particles"; exit 1 } }
' "$WORK/state" >"$WORK/bad" || fail "after $FRAMES frames: $(cat "$WORK/bad")"
echo "PASS"
