#!/usr/bin/env bash
# flakemorph.scr /c shows the settings dialog with the stored settings; OK stores what it shows
# under HKEY_CURRENT_USER\Software\flakemorph, Cancel stores nothing. Started without any
# argument (a double-click on the file) it shows the same dialog.
# shellcheck source=tests/windows/gui/wine_lib.sh
source "$(dirname "$0")/wine_lib.sh"
start_xvfb
start_wine_server
store_settings

# Waits for the dialog and puts the pointer over it, so that the keys go to it.
find_dialog() {
  WID=$(timeout 20 xdotool search --sync --onlyvisible --name '^flakemorph settings$' 2>/dev/null |
    head -n 1) || true
  [[ -n "$WID" ]] || fail "no settings dialog within 20 s"
  eval "$(xdotool getwindowgeometry --shell "$WID")"
  xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2))
  sleep 0.5
}

# The dialog starts at the default 60; five steps down the speed slider, the frame-rate box
# ticked, then OK.
start_saver /c
find_dialog
screenshot "$WORK/dialog.png"
xdotool key Left Left Left Left Left Tab space
sleep 0.3
xdotool key Return
wait_for_exit 20
[[ "$APP_STATUS" == 0 ]] || fail "/c: status $APP_STATUS"
[[ "$(stored_value Rate)" == 0x37 && "$(stored_value ShowFps)" == 0x1 ]] ||
  fail "stored: Rate $(stored_value Rate), ShowFps $(stored_value ShowFps)"
pass "/c stores speed 55 and the frame rate shown"

# The dialog shows what is stored; Cancel (Escape) keeps it as it was.
start_saver -C:65538
find_dialog
xdotool key Right Right Tab space Escape
wait_for_exit 20
[[ "$(stored_value Rate)" == 0x37 && "$(stored_value ShowFps)" == 0x1 ]] ||
  fail "Cancel stored: Rate $(stored_value Rate), ShowFps $(stored_value ShowFps)"
pass "-C:HWND opens it as well, and Cancel stores nothing"

# No argument at all; it starts from what is stored (55): End takes the slider to 240.
start_saver
find_dialog
xdotool key End Return
wait_for_exit 20
[[ "$(stored_value Rate)" == 0xf0 ]] || fail "stored Rate $(stored_value Rate), not 240"
pass "no argument opens the dialog, which starts from the stored settings"

# A speed stored beyond what a signed 32-bit number holds is still a speed too high: 240, not
# 1 by a wrap to a negative number; the third box, "on the primary monitor only", is stored.
wine reg add "$SETTINGS_KEY" /v Rate /t REG_DWORD /d 3000000000 /f >/dev/null
start_saver /c
find_dialog
xdotool key Tab Tab space
sleep 0.3
xdotool key Return
wait_for_exit 20
[[ "$(stored_value Rate)" == 0xf0 && "$(stored_value PrimaryOnly)" == 0x1 ]] ||
  fail "from Rate 3000000000: Rate $(stored_value Rate), PrimaryOnly $(stored_value PrimaryOnly)"
pass "a stored Rate of 3000000000 is taken as 240; PrimaryOnly is stored"
store_settings
echo PASS
