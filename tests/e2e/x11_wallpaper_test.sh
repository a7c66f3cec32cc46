#!/usr/bin/env bash
# --wallpaper on X11: the animation in the root window, beneath every window, taking no keys;
# SIGTERM ends it with status 0.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

start_xvfb
FLAKEMORPH_ARGS=(--wallpaper)
start_flakemorph FLAKEMORPH_STATS=1
wait_for_stats_lines "$WORK/app.err" 1 10
grep -q "^flakemorph: window 0x[0-9a-f]* (another program's): 1280x720 pixels" "$WORK/app.err" ||
  fail "not drawing into the root window: $(cat "$WORK/app.err")"
screenshot "$WORK/root.png"
share=$(non_black_share "$WORK/root.png")
awk -v s="$share" 'BEGIN { exit !(s > 0.005 && s < 0.5) }' ||
  fail "a share of $share of the root window is drawn"
pass "circles in the root window: $share of its pixels"
xdotool key a
wait_for_stats_lines "$WORK/app.err" 3 10
pass "a key leaves it running"
end_with_sigterm "SIGTERM"
pass "SIGTERM ends it with status 0"
