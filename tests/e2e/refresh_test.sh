#!/usr/bin/env bash
# One speed on every display: on a monitor that refreshes 144 times a second flakemorph still
# shows 60 frames a second, the pace the animation was made for, and its first stats line says
# both the refresh and the rate.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
source "$(dirname "${BASH_SOURCE[0]}")/multimon.sh"
require_tools xrandr

start_multimon_x "1024x768+0+0@144"
xrandr | grep -q '1024x768_144 *144\.[0-9]*\*' || fail "the head does not run at 144 Hz: $(xrandr)"

start_flakemorph FLAKEMORPH_STATS=1
find_window
wait_for_stats_lines "$WORK/app.err" 4 20
first=$(head -n 1 "$WORK/app.err")
[[ "$first" == "flakemorph: 1 window, refresh 144 Hz, 60.00 frames a second paced by the program" ]] ||
  fail "first stats line: '$first'"
pass "the first stats line says: $first"

mapfile -t fps < <(grep '^fps ' "$WORK/app.err" | sed -n '2,4s/^fps \([0-9]*\) .*/\1/p')
median=$(printf '%s\n' "${fps[@]}" | sort -n | sed -n 2p)
((median >= 57 && median <= 62)) || fail "${fps[*]} frames a second on a 144 Hz head, expected 60"
pass "60 frames a second on a 144 Hz head: ${fps[*]}"

since=$(now_ms)
xdotool key space
wait_for_exit 2 "$since"
[[ "$APP_STATUS" == 0 ]] || fail "space: status $APP_STATUS"
