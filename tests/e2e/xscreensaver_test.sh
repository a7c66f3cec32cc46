#!/usr/bin/env bash
# The real XScreenSaver daemon blanks with `flakemorph --root` as its only saver: circles fill
# its window, and -deactivate ends flakemorph with status 0. Says what the daemon passed and how
# flakemorph ended. With FLAKEMORPH_INSTALLED, the installed program is named as a user names it
# in ~/.xscreensaver, and must be found where the daemon looks for its savers.
source "$(dirname "${BASH_SOURCE[0]}")/daemon_lib.sh"
require_tools xscreensaver xscreensaver-command strace unshare runuser

start_xvfb
make_saver_user
copy_program_for_saver_user
block_stock_savers

cat >"$SAVER_HOME/.xscreensaver" <<CONFIG
timeout:	0:30:00
cycle:		0:00:00
lock:		False
lockTimeout:	0:00:00
dpmsEnabled:	False
fade:		False
unfade:		False
splash:		False
verbose:	True
mode:		one
selected:	0
programs:							\\
		$SAVER_BIN --root	\\n\\

CONFIG
chown "$SAVER_USER:" "$SAVER_HOME/.xscreensaver"
: >"$WORK/xscreensaver.log"
chmod 666 "$WORK/xscreensaver.log"

"${AS_SAVER_USER[@]}" xscreensaver -no-splash -log "$WORK/xscreensaver.log" >"$WORK/xss.out" 2>&1 &
DAEMON_PIDS+=("$(child_named $! xscreensaver)")
deadline=$(($(now_ms) + 10000))
until as_saver_user xscreensaver-command -version >/dev/null 2>&1; do
  (($(now_ms) < deadline)) || fail "xscreensaver did not answer within 10 s: $(tail -n 5 "$WORK/xss.out")"
  sleep 0.05
done

activated=$(now_ms)
as_saver_user xscreensaver-command -activate >/dev/null || fail "xscreensaver-command -activate failed"
find_saver 10
echo "activate -> flakemorph running: $(($(now_ms) - activated)) ms"

read_saver
echo "PATH=$(saver_env PATH)"
[[ "${SAVER_ARGV[*]}" == "$SAVER_BIN --root" ]] || fail "argv is '${SAVER_ARGV[*]}'"
[[ "$SAVER_WINDOW" =~ ^0x[0-9a-f]+$ ]] || fail "XSCREENSAVER_WINDOW is '$SAVER_WINDOW'"
geometry=$(xwininfo -id "$SAVER_WINDOW" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 }
  /Map State:/ { m = $3 } /Override Redirect/ { o = $NF } END { print w "x" h, m, "override-redirect " o }')
echo "its window: $geometry"
[[ "$geometry" == "${SCREEN_WIDTH}x$SCREEN_HEIGHT IsViewable override-redirect yes" ]] ||
  fail "the daemon's window is $geometry"
pass "flakemorph runs as $SAVER_USER with argv '${SAVER_ARGV[*]}' and XSCREENSAVER_WINDOW=$SAVER_WINDOW"
if [[ -n "${FLAKEMORPH_INSTALLED:-}" ]]; then
  program=$(readlink "/proc/$SAVER_PID/exe")
  [[ "$program" == "$(readlink -f "$FLAKEMORPH_INSTALLED")" ]] || fail "the daemon ran $program"
  [[ -L /usr/libexec/xscreensaver/flakemorph ]] || fail "no flakemorph where XScreenSaver looks"
  xmllint --noout /usr/share/xscreensaver/config/flakemorph.xml ||
    fail "no valid settings where XScreenSaver reads them"
  pass "the daemon found the installed $program by name; its settings are in /usr/share/xscreensaver/config"
fi

# The root is white: the daemon's window covers it, and circles are drawn on the black.
expect_circles_on_screen blanked
pass "circles fill the daemon's window (non-black share $SCREEN_SHARE)"

deactivated=$(now_ms)
as_saver_user xscreensaver-command -deactivate >/dev/null || fail "-deactivate failed"
trace=$(wait_for_saver_end 6)
echo "flakemorph's end as strace saw it:"
echo "$trace" | sed 's/^/  /'
echo "$trace" | grep -q -- '--- SIGTERM' || fail "flakemorph got no SIGTERM"
echo "$trace" | grep -q '+++ exited with 0 +++' || fail "flakemorph did not exit with status 0"
sender=$(echo "$trace" | sed -n 's/.*SIGTERM.*si_pid=\([0-9]*\).*/\1/p')
echo "SIGTERM sent by pid $sender ($(cat "/proc/$sender/comm" 2>/dev/null || echo gone));" \
  "-deactivate -> SIGTERM: $(milliseconds_between "$deactivated" "$(trace_time '--- SIGTERM')") ms;" \
  "-> exit: $(milliseconds_between "$deactivated" "$(trace_time '+++ exited')") ms"
pass "-deactivate ends flakemorph with status 0"

grep -i 'flakemorph' "$WORK/xscreensaver.log" | sed 's/^/xscreensaver log: /' || true
if grep -q '^flakemorph:' "$WORK/xscreensaver.log" "$WORK/xss.out"; then
  fail "flakemorph complained: $(grep -h '^flakemorph:' "$WORK/xscreensaver.log" "$WORK/xss.out")"
fi
[[ ! -s "$BLOCKED_LOG" ]] || fail "a stock saver was started: $(cat "$BLOCKED_LOG")"
pass "no stock saver ran, flakemorph said nothing"
as_saver_user xscreensaver-command -exit >/dev/null 2>&1 || true
