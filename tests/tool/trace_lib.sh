# Shared by the flakemorph-trace tests: the tool, a scratch folder, and scripted random streams
# of a known length.
set -euo pipefail

TRACE="${BUILD_DIR:?BUILD_DIR must name the build folder}/flakemorph-trace"
[[ -x "$TRACE" ]] || { echo "FAIL: $TRACE is not built" >&2; exit 1; }
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# A build fed only 0.25 has 4 arms (6 * 0.25 + 2 = 3.5 goes to the even 4): 33 rings of 8
# points and a halo of 96, so 14 + 2 * 33 + 4 * 96 draws.
readonly BUILD_DRAWS=464
readonly STARTUP_DRAWS=$((BUILD_DRAWS + 360))
readonly MORPH_FRAME_DRAWS=721
readonly HOLD_FRAME_DRAWS=1
readonly MORPH_FRAMES=100
readonly CYCLE_FRAMES=150

# How many draws start-up and N frames take from a stream of 0.25: every cycle begins with a
# build, then 100 morph frames and 50 hold frames.
draws_for_frames() {
  local frames=$1 total=$STARTUP_DRAWS frame position
  for ((frame = 1; frame <= frames; frame++)); do
    position=$(((frame - 1) % CYCLE_FRAMES))
    ((position == 0)) && total=$((total + BUILD_DRAWS))
    if ((position < MORPH_FRAMES)); then
      total=$((total + MORPH_FRAME_DRAWS))
    else
      total=$((total + HOLD_FRAME_DRAWS))
    fi
  done
  echo "$total"
}

# stream COUNT [VALUE]: COUNT lines of VALUE (default 0.25).
stream() {
  awk -v count="$1" -v value="${2:-0.25}" 'BEGIN { for (i = 0; i < count; i++) print value }'
}

# A log with its measured values left out, so that it can be compared line by line with
# expected_shape: what is left names the operation, its surface, slot, point or particle, and
# the frame with its phase.
log_shape() {
  awk '
    $1 == "forecolor" || $1 == "ellipse" || $1 == "build" || $1 == "azimuth" ||
    $1 == "figure" || $1 == "particle" { print $1, $2; next }
    $1 == "point" { print $1, $2, $3; next }
    $1 == "startup" || $1 == "wander" { print $1; next }
    { print }' "$1"
}

# expected_shape OPS STATE FRAMES [WIDTH HEIGHT]: the shape of the log of start-up and FRAMES
# frames, with the operation log (OPS 1) and the state log (STATE 1), interleaved as the
# events happen. Every cycle starts with a build into the other slot, the first into slot 1;
# then come 100 morph frames and 50 hold frames.
expected_shape() {
  awk -v ops="$1" -v state="$2" -v frames="$3" -v width="${4:-448}" -v height="${5:-439}" '
    function build(slot, n) {
      if (!state) return
      print "build " slot
      for (n = 1; n <= 360; n++) print "point " slot " " n
    }
    function draw(page, n) {
      if (!ops) return
      print "cls " page
      for (n = 1; n <= 360; n++) { print "forecolor " page; print "ellipse " page }
      print "zorder " page
      print "doevents"
    }
    function show(frame, position, n) {
      if (!state) return
      if (position < 100) print "frame " frame " morph " position + 1
      else print "frame " frame " hold " position - 99
      print "wander"
      print "figure 0"
      print "figure 1"
      for (n = 1; n <= 360; n++) print "particle " n
    }
    BEGIN {
      if (ops) {
        for (k = 0; k <= 1; k++) { print "move " k " 0 0 " width " " height; print "backcolor " k " 0" }
      }
      build(0)
      if (state) {
        print "startup"
        for (n = 1; n <= 360; n++) print "azimuth " n
      }
      slot = 0
      for (frame = 1; frame <= frames; frame++) {
        position = (frame - 1) % 150
        if (position == 0) { slot = 1 - slot; build(slot) }
        draw(frame % 2)
        show(frame, position)
      }
    }'
}

# expect_shape WHAT LOG OPS STATE FRAMES [WIDTH HEIGHT]
expect_shape() {
  local what=$1 log=$2
  shift 2
  diff <(expected_shape "$@") <(log_shape "$log") >"$WORK/diff" ||
    fail "$what: the log differs from the expected shape (< expected, > logged):
$(head -20 "$WORK/diff")"
}
