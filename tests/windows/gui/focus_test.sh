#!/usr/bin/env bash
# Under a window manager (openbox), a program that opens while /s runs comes up behind the
# saver and takes the keyboard: the saver ends with status 0 rather than let keys be typed
# blind into the hidden window.
# shellcheck source=tests/windows/gui/wine_lib.sh
source "$(dirname "$0")/wine_lib.sh"
require_tools openbox
start_xvfb
openbox --sm-disable >/dev/null 2>&1 &
OTHER_PIDS+=($!)
start_wine_server
store_settings

xdotool mousemove 200 200
FLAKEMORPH_STATS=1 start_saver /s
wait_until_drawing 2
since=$(now_ms)
wine notepad >/dev/null 2>&1 &
OTHER_PIDS+=($!)
wait_for_exit 30 "$since"
[[ "$APP_STATUS" == 0 ]] || fail "focus taken by another program: status $APP_STATUS"
pass "another program taking the keyboard ends /s with status 0 in $APP_MILLISECONDS ms"
echo PASS
