#!/usr/bin/env bash
# Under a window manager (openbox): the full-screen window has the keyboard, and a window of
# another program that takes it while flakemorph runs (xmessage here) ends it with status 0, so
# that no key is typed blind into that window behind the picture. The preview window is an
# ordinary window: another window taking the keyboard leaves it running.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
require_tools openbox xmessage xprop

start_xvfb
# A configuration of its own, so that the machine's menus and autostart stay out.
mkdir -p "$WORK/config/openbox"
cp /etc/xdg/openbox/rc.xml "$WORK/config/openbox/rc.xml"
XDG_CONFIG_HOME="$WORK/config" openbox --config-file "$WORK/config/openbox/rc.xml" \
  >"$WORK/openbox.log" 2>&1 &
OTHER_PIDS+=($!)
deadline=$(($(now_ms) + 10000))
until xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'; do
  (($(now_ms) < deadline)) || fail "openbox did not start: $(cat "$WORK/openbox.log")"
  sleep 0.1
done

# Starts xmessage, which the window manager gives the keyboard as it opens.
open_other_window() {
  xmessage -center "another program" &
  OTHER_PIDS+=($!)
}

start_flakemorph FLAKEMORPH_STATS=1
find_window
wait_for_stats_lines "$WORK/app.err" 1 10
focus=$(xdotool getwindowfocus)
[[ "$focus" == "$WID" ]] || fail "under openbox the keyboard is at window $focus, not $WID"
since=$(now_ms)
xdotool key a
wait_for_exit 2 "$since"
[[ "$APP_STATUS" == 0 ]] || fail "a key under openbox: status $APP_STATUS"
pass "under openbox the full-screen window has the keyboard: a key ends it"

start_flakemorph FLAKEMORPH_STATS=1
find_window
wait_for_stats_lines "$WORK/app.err" 1 10
since=$(now_ms)
open_other_window
wait_for_exit 5 "$since"
[[ "$APP_STATUS" == 0 ]] || fail "another window taking the keyboard: status $APP_STATUS"
pass "another program's window taking the keyboard ends it with status 0 in $APP_MILLISECONDS ms"
kill -TERM "${OTHER_PIDS[-1]}"
wait "${OTHER_PIDS[-1]}" 2>/dev/null || true

FLAKEMORPH_ARGS=(--window)
start_flakemorph FLAKEMORPH_STATS=1
find_window
wait_for_stats_lines "$WORK/app.err" 1 10
open_other_window
wait_for_stats_lines "$WORK/app.err" 4 10
kill -0 "$APP_PID" 2>/dev/null || fail "the preview window ended when another window took the keyboard"
pass "another window taking the keyboard leaves the preview window running"
end_with_sigterm "SIGTERM to the preview window"
