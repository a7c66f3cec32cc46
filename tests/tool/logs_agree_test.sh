#!/usr/bin/env bash
# With --ops and --state together the two logs interleave in the order the events happen,
# neither changes the other, and each circle drawn is the particle that the state log then
# reports: its pen is the particle's colour and its box is 2 * Size wide, centred on
# (ScreenX, ScreenY) to the nearest pixel.
# shellcheck source=tests/tool/trace_lib.sh
source "$(dirname "$0")/trace_lib.sh"

readonly FRAMES=152

run_trace() {
  "$TRACE" --frames "$FRAMES" --clock 3600 "$@"
}

check_circles_match_particles() {
  awk '
    function bad(why) { print "line " NR " (" why "): " $0; exit 1 }
    function off(edge, exact) { return edge - exact > 0.5001 || exact - edge > 0.5001 }
    $1 == "cls" { drawn = 0 }
    $1 == "forecolor" { pen[++drawn] = $3 }
    $1 == "ellipse" { left[drawn] = $3; top[drawn] = $4; right[drawn] = $5; bottom[drawn] = $6 }
    $1 == "particle" {
      n = $2; x = $5; y = $6; size = $7
      if (pen[n] != $10) bad("pen " pen[n])
      if (right[n] - left[n] != 2 * size || bottom[n] - top[n] != 2 * size) bad("box size")
      if (off(left[n], x - size) || off(top[n], y - size)) {
        bad("box at " left[n] " " top[n])
      }
    }' "$1" >"$WORK/bad" || fail "circle and particle disagree: $(cat "$WORK/bad")"
}

run_trace --ops --state >"$WORK/both" || fail "--ops --state: status $?"
run_trace --ops >"$WORK/ops" || fail "--ops: status $?"
run_trace --state >"$WORK/state" || fail "--state: status $?"

expect_shape "--ops --state" "$WORK/both" 1 1 "$FRAMES"
grep -E '^(move|backcolor|cls|forecolor|ellipse|zorder|doevents)( |$)' "$WORK/both" |
  cmp -s - "$WORK/ops" || fail "the operations differ when the state is logged too"
grep -vE '^(move|backcolor|cls|forecolor|ellipse|zorder|doevents)( |$)' "$WORK/both" |
  cmp -s - "$WORK/state" || fail "the state differs when the operations are logged too"
check_circles_match_particles "$WORK/both"
echo "PASS"
