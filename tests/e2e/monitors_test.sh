#!/usr/bin/env bash
# Every monitor: on a server with three heads of different sizes flakemorph opens one
# borderless window over each head, exactly its bounds, draws circles on every one of them, and
# a key, a click or a close request on any of them ends them all with status 0.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
source "$(dirname "${BASH_SOURCE[0]}")/multimon.sh"
require_tools "$CLOSE_REQUEST" xprop

HEADS=(1280x1024+0+0 1024x768+1280+0 800x600+0+1024)
start_multimon_x "${HEADS[*]}"
motif_hints_atom

WINDOWS=()
# Fills WINDOWS with flakemorph's visible windows once there are as many as heads.
find_windows() {
  local deadline=$(($(now_ms) + 10000))
  while :; do
    mapfile -t WINDOWS < <(xdotool search --onlyvisible --pid "$APP_PID" 2>/dev/null || true)
    ((${#WINDOWS[@]} >= ${#HEADS[@]})) && break
    kill -0 "$APP_PID" 2>/dev/null || fail "flakemorph ended before its windows were shown"
    (($(now_ms) < deadline)) || fail "${#WINDOWS[@]} windows within 10 s, expected ${#HEADS[@]}"
    sleep 0.1
  done
  ((${#WINDOWS[@]} == ${#HEADS[@]})) || fail "${#WINDOWS[@]} windows for ${#HEADS[@]} heads"
}

# "WxH+X+Y" of a window.
geometry_of() {
  local X Y WIDTH HEIGHT WINDOW SCREEN
  eval "$(xdotool getwindowgeometry --shell "$1")"
  echo "${WIDTH}x$HEIGHT+$X+$Y"
}

start_flakemorph FLAKEMORPH_STATS=1
find_windows
expected=$(printf '%s\n' "${HEADS[@]}" | sort)
found=$(for wid in "${WINDOWS[@]}"; do geometry_of "$wid"; done | sort)
[[ "$found" == "$expected" ]] || fail "windows at $(echo $found), expected $(echo $expected)"
pass "one window over each head: $(echo $found)"

for wid in "${WINDOWS[@]}"; do
  ! decorated "$wid" || fail "window $wid asks for a frame"
done
pass "every window is borderless"

wait_for_stats_lines "$WORK/app.err" 3 20
screenshot "$WORK/heads.png"
for head in "${HEADS[@]}"; do
  "$CONVERT" "$WORK/heads.png" -crop "$head" +repage "$WORK/head.png"
  share=$(non_black_share "$WORK/head.png")
  colours=$("$CONVERT" "$WORK/head.png" -format '%k' info:)
  awk -v s="$share" 'BEGIN { exit !(s > 0.002 && s < 0.5) }' ||
    fail "head $head: a share of $share of its pixels is drawn; expected circles on black"
  ((colours > 8)) || fail "head $head: only $colours colours"
  pass "circles on head $head: $share of the pixels drawn, in $colours colours"
done

# One program frame draws and shows on all three heads: 60 of them a second.
mapfile -t lines < <(grep '^fps ' "$WORK/app.err" | head -n 3)
echo "stats with three heads: ${lines[*]}"
fps=$(printf '%s\n' "${lines[@]:1}" | awk '{ print $2 }' | sort -n | tail -n 1)
((fps >= 30 && fps <= 66)) || fail "$fps frames a second with three heads, expected about 60"
pass "three heads at $fps frames a second"

since=$(now_ms)
xdotool key space
wait_for_exit 2 "$since"
[[ "$APP_STATUS" == 0 ]] || fail "space: status $APP_STATUS"
pass "space ends all three windows with status 0 in $APP_MILLISECONDS ms"

# A click on a head other than the one with the keyboard focus, and a close request for the
# last window, end them all as well.
start_flakemorph
find_windows
sleep 0.5
since=$(now_ms)
xdotool mousemove 1700 300 click 1
expect_clean_exit_within 2 "$since" "a click on the second head"

start_flakemorph
find_windows
for wid in "${WINDOWS[@]}"; do
  [[ "$(geometry_of "$wid")" == "${HEADS[2]}" ]] && last=$wid
done
since=$(now_ms)
"$CLOSE_REQUEST" "$last"
expect_clean_exit_within 2 "$since" "a close request for the window on the third head"

# --fps puts its text in the top-left corner of every head.
FLAKEMORPH_ARGS=(--fps)
start_flakemorph
find_windows
sleep 1.5
screenshot "$WORK/heads.png"
for head in "${HEADS[@]}"; do
  [[ $head =~ \+([0-9]+)\+([0-9]+)$ ]]
  "$CONVERT" "$WORK/heads.png" -crop "120x16+$((BASH_REMATCH[1] + 8))+$((BASH_REMATCH[2] + 8))" \
    +repage "$WORK/corner.png"
  share=$(overlay_share "$WORK/corner.png")
  awk -v s="$share" 'BEGIN { exit !(s > 0.3) }' || fail "head $head: no frame-rate text in its corner"
done
pass "the frame rate in the corner of every head"
xdotool key space
wait_for_exit 2
[[ "$APP_STATUS" == 0 ]] || fail "space with --fps: status $APP_STATUS"
