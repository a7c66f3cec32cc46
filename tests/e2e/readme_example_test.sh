#!/usr/bin/env bash
# README's example of flakemorph in a window of your own works as written: run in the source
# folder, it draws into the window it makes, and Ctrl+C ends both with status 0.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
source "$(dirname "${BASH_SOURCE[0]}")/foreign_lib.sh"
SOURCE_DIR=${SOURCE_DIR:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}

example=$(grep -m 1 '^ *build/host-window .*--window-id' "$SOURCE_DIR/README.md") ||
  fail "README has no example with build/host-window"
example=${example#"${example%%[! ]*}"}
[[ "$example" =~ host-window\ ([0-9]+)x([0-9]+)\+([0-9]+)\+([0-9]+) ]] ||
  fail "no geometry in the example: $example"
area="${BASH_REMATCH[1]}x${BASH_REMATCH[2]}+${BASH_REMATCH[3]}+${BASH_REMATCH[4]}"
require_tools "$HOST_WINDOW"

start_xvfb
# In a folder where build/ is this build, as after `make`; a session of its own, as a
# terminal's foreground job, so that Ctrl+C reaches the whole pipeline.
mkdir "$WORK/source"
ln -s "$BUILD_DIR" "$WORK/source/build"
(cd "$WORK/source" && exec env --default-signal=INT setsid bash -c "$example") \
  >"$WORK/app.out" 2>"$WORK/app.err" &
APP_PID=$!
sleep 2
screenshot "$WORK/shot.png"
"$CONVERT" "$WORK/shot.png" -crop "$area" +repage "$WORK/inside.png"
share=$(non_black_share "$WORK/inside.png")
host_left=$(count_color "$WORK/inside.png" "$HOST_COLOR")
((host_left == 0)) || fail "$host_left pixels of the window show its own background: '$example'"
awk -v s="$share" 'BEGIN { exit !(s > 0.005 && s < 0.6) }' ||
  fail "no circles in the window ($share not black): '$example'"
pass "README's example draws into its window (non-black share $share)"

since=$(now_ms)
kill -INT -- "-$APP_PID"
expect_clean_exit_within 2 "$since" "Ctrl+C on README's example"
