#!/usr/bin/env bash
# Monitors that change while it runs: a head whose mode changes, that moves, that is switched
# off and on again, that the user splits into two monitors of their own and joins again.
# Within a second of each change every head is covered exactly by a window of its own (the
# root, in a colour the animation never draws, shows nowhere on a head), a head switched off
# loses its window, one switched on gets one, and flakemorph keeps running until a key ends it.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
source "$(dirname "${BASH_SOURCE[0]}")/multimon.sh"
source "$(dirname "${BASH_SOURCE[0]}")/foreign_lib.sh"
require_tools xrandr xsetroot

ROOT_COLOR=ff00fe
start_multimon_x "1024x768+0+0 800x600+1024+0 800x600+0+768" "640x480"
xsetroot -solid "#$ROOT_COLOR"

# "WxH+X+Y" of every visible window of flakemorph, sorted; a window that went between the
# search and the look at it is left out.
window_geometries() {
  local wid geometry X Y WIDTH HEIGHT WINDOW SCREEN
  for wid in $(xdotool search --onlyvisible --pid "$APP_PID" 2>/dev/null); do
    geometry=$(xdotool getwindowgeometry --shell "$wid" 2>/dev/null) || continue
    eval "$geometry"
    echo "${WIDTH}x$HEIGHT+$X+$Y"
  done | sort
}

# The heads as RandR has them now, "WxH+X+Y" sorted.
heads() {
  xrandr --listmonitors | sed -n 's|^ *[0-9]*: [^ ]* \([0-9]*\)/[0-9]*x\([0-9]*\)/[0-9]*+\([0-9]*\)+\([0-9]*\) .*|\1x\2+\3+\4|p' |
    sort
}

# Waits at most $1 ms from $2 (a now_ms reading) until the windows are the heads, one each.
expect_windows_on_heads() {
  local limit=$1 since=$2 what=$3 expected found
  expected=$(heads)
  while :; do
    found=$(window_geometries)
    [[ "$found" == "$expected" ]] && break
    kill -0 "$APP_PID" 2>/dev/null || fail "$what: flakemorph ended"
    (($(now_ms) - since < limit)) ||
      fail "$what: windows at $(echo $found) $limit ms later, heads at $(echo $expected)"
    sleep 0.05
  done
  pass "$what: windows on the heads $(echo $found) in $(($(now_ms) - since)) ms"
}

# Every head shows circles on black, and nothing of the root.
expect_circles_on_every_head() {
  local head share
  sleep 0.5
  screenshot "$WORK/heads.png"
  for head in $(heads); do
    "$CONVERT" "$WORK/heads.png" -crop "$head" +repage "$WORK/head.png"
    (($(count_color "$WORK/head.png" "$ROOT_COLOR") == 0)) || fail "$1: the root shows on head $head"
    share=$(non_black_share "$WORK/head.png")
    awk -v s="$share" 'BEGIN { exit !(s > 0.002 && s < 0.5) }' ||
      fail "$1: head $head has a share of $share drawn; expected circles on black"
  done
  pass "$1: circles on every head, and no root showing"
}

start_flakemorph
expect_windows_on_heads 10000 "$(now_ms)" "at start"

change() {
  local what=$1 since
  shift
  since=$(now_ms)
  xrandr "$@" || fail "xrandr $* failed"
  expect_windows_on_heads 1000 "$since" "$what"
}

# Monitors of the user's own come and go without a word from RandR, only the root's
# ConfigureNotify. Windows go and come in the same change here: a new one must be drawn, not
# taken for the one that went.
change "a head is split into two monitors of the user's" \
  --setmonitor left 512/135x768/203+0+0 DUMMY0 --setmonitor right 512/135x768/203+512+0 none
expect_circles_on_every_head "a head split in two"
change "the user's monitors are taken away" --delmonitor left --delmonitor right
expect_circles_on_every_head "the head whole again"
change "a head's mode changes" --output DUMMY1 --mode 640x480
expect_circles_on_every_head "a head's mode changed"
change "a head moves" --output DUMMY1 --pos 1100x100
change "a head is switched off" --output DUMMY2 --off
change "a head is switched on" --output DUMMY2 --auto --pos 0x768
change "a head grows" --output DUMMY1 --mode 800x600 --pos 1024x0
expect_circles_on_every_head "after all the changes"

since=$(now_ms)
xdotool key space
wait_for_exit 2 "$since"
[[ "$APP_STATUS" == 0 ]] || fail "space after the changes: status $APP_STATUS"
pass "space ends it with status 0 in $APP_MILLISECONDS ms"
