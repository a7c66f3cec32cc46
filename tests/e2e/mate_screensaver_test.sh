#!/usr/bin/env bash
# MATE's screen saver, the real daemon on a D-Bus session of its own, finds flakemorph through its
# desktop entry: `mate-screensaver-command --activate` blanks the screen with circles, a key
# brings the desktop back and ends flakemorph with status 0, and the preferences program lists
# it and runs it in its preview pane. The entry is the project's own, its program path aside;
# with FLAKEMORPH_INSTALLED they are the installed entry and program.
source "$(dirname "${BASH_SOURCE[0]}")/daemon_lib.sh"
SOURCE_DIR=${SOURCE_DIR:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}
require_tools mate-screensaver mate-screensaver-command mate-screensaver-preferences \
  dbus-daemon strace unshare runuser gsettings
MATE_SAVERS=/usr/lib/mate-screensaver/mate-screensaver

# The daemon's own words say most about a saver it did not start.
eval "original_$(declare -f fail)"
fail() {
  [[ ! -s "$WORK/daemon.log" ]] || tail -n 15 "$WORK/daemon.log" | sed 's/^/daemon log: /' >&2
  original_fail "$@"
}

start_xvfb
make_saver_user
copy_program_for_saver_user
# The daemon runs only programs of a few folders (/usr/libexec/xscreensaver, its own, ...):
# the build's program goes into its own folder, over its stock savers, for this test alone.
if [[ -n "${FLAKEMORPH_INSTALLED:-}" ]]; then
  block_stock_savers "$MATE_SAVERS"
else
  block_stock_savers
  mount -t tmpfs -o mode=755 flakemorph-test "$MATE_SAVERS" || fail "cannot cover $MATE_SAVERS"
  install -m 755 "$FLAKEMORPH" "$MATE_SAVERS/flakemorph"
fi

# Settings in a key file rather than dconf, so that the test needs no settings service.
mkdir -p "$SAVER_RUN/config"
chown "$SAVER_USER:" "$SAVER_RUN/config"
AS_SAVER_USER+=(XDG_CONFIG_HOME="$SAVER_RUN/config" GSETTINGS_BACKEND=keyfile)
if [[ -z "${FLAKEMORPH_INSTALLED:-}" ]]; then
  # The daemon reads entries from every data folder; the project's own is found there.
  mkdir -p "$WORK/share/applications/screensavers"
  cp "$SOURCE_DIR/mate/flakemorph.desktop" "$WORK/share/applications/screensavers/"
  chmod -R a+rX "$WORK/share"
  AS_SAVER_USER+=(XDG_DATA_DIRS="$WORK/share:/usr/local/share:/usr/share")
fi
set_mate() {
  as_saver_user gsettings set org.mate.screensaver "$1" "$2" || fail "cannot set $1 to $2"
}
set_mate mode "'single'"
set_mate themes "['screensavers-flakemorph']"
set_mate idle-activation-enabled false
set_mate lock-enabled false

# A session bus for the daemon and its commands.
as_saver_user dbus-daemon --session --fork --print-address=1 --print-pid=1 \
  >"$WORK/bus" 2>"$WORK/bus.err" || fail "no D-Bus session: $(cat "$WORK/bus.err")"
DAEMON_PIDS+=("$(sed -n 2p "$WORK/bus")")
AS_SAVER_USER+=(DBUS_SESSION_BUS_ADDRESS="$(sed -n 1p "$WORK/bus")")

"${AS_SAVER_USER[@]}" mate-screensaver --no-daemon --debug >"$WORK/daemon.log" 2>&1 &
# A process's name is cut to 15 characters.
DAEMON_PIDS+=("$(child_named $! mate-screensave)")
deadline=$(($(now_ms) + 10000))
until as_saver_user mate-screensaver-command --query >"$WORK/query" 2>&1; do
  (($(now_ms) < deadline)) || fail "mate-screensaver did not answer within 10 s: $(tail -n 5 "$WORK/daemon.log")"
  sleep 0.05
done
echo "before: $(head -n 1 "$WORK/query")"

activated=$(now_ms)
as_saver_user mate-screensaver-command --activate >/dev/null || fail "--activate failed"
find_saver 10
echo "--activate -> flakemorph running: $(($(now_ms) - activated)) ms"
read_saver
[[ "${SAVER_ARGV[*]}" == "flakemorph --root" ]] || fail "argv is '${SAVER_ARGV[*]}'"
[[ -n "$SAVER_WINDOW" ]] || fail "no XSCREENSAVER_WINDOW"
size=$(xwininfo -id "$SAVER_WINDOW" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }')
[[ "$size" == "${SCREEN_WIDTH}x$SCREEN_HEIGHT" ]] || fail "the daemon's window is $size"
if [[ -n "${FLAKEMORPH_INSTALLED:-}" ]]; then
  program=$(readlink "/proc/$SAVER_PID/exe")
  [[ "$program" == "$(readlink -f "$FLAKEMORPH_INSTALLED")" ]] || fail "the daemon ran $program"
fi
pass "the daemon runs flakemorph with argv '${SAVER_ARGV[*]}' in its ${size} window $SAVER_WINDOW"

expect_circles_on_screen blanked
pass "circles fill the blanked screen (non-black share $SCREEN_SHARE)"

woken=$(now_ms)
xdotool key space || fail "xdotool could not press a key"
trace=$(wait_for_saver_end 6)
echo "$trace" | grep -q '+++ exited with 0 +++' || fail "flakemorph did not exit with status 0: $trace"
echo "key -> flakemorph ended: $(milliseconds_between "$woken" "$(trace_time '+++ exited')") ms"
deadline=$(($(now_ms) + 5000))
until [[ "$(as_saver_user mate-screensaver-command --query)" == *"is inactive"* ]]; do
  (($(now_ms) < deadline)) || fail "the screen saver is still active 5 s after a key"
  sleep 0.1
done
share=$(screen_non_black_share woken)
awk -v s="$share" 'BEGIN { exit !(s > 0.99) }' || fail "the desktop is not back: non-black share $share"
pass "a key ends flakemorph with status 0 and brings the desktop back (non-black share $share)"

# The preferences program shows the chosen saver in its preview pane, in a window of its own.
"${AS_SAVER_USER[@]}" mate-screensaver-preferences >"$WORK/preferences.log" 2>&1 &
OTHER_PIDS+=("$!")
find_saver 15
read_saver
size=$(xwininfo -id "$SAVER_WINDOW" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }')
[[ "$size" != "${SCREEN_WIDTH}x$SCREEN_HEIGHT" ]] || fail "the preview covers the screen"
sleep 1
screenshot "$WORK/preferences.png"
preview_share=$("$CONVERT" "$WORK/preferences.png" -crop "$(xwininfo -id "$SAVER_WINDOW" |
  awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
    /Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h "+" x "+" y }')" +repage \
  -alpha off -fill white +opaque black -format '%[fx:mean]' info:)
awk -v s="$preview_share" 'BEGIN { exit !(s > 0.005 && s < 0.6) }' ||
  fail "the preview shows no circles: non-black share $preview_share"
pass "the preferences list flakemorph and preview it in a $size window (non-black share $preview_share)"

grep -i 'flakemorph' "$WORK/daemon.log" | sed 's/^/daemon log: /' || true
if grep -q '^flakemorph:' "$WORK/daemon.log" "$WORK/preferences.log"; then
  fail "flakemorph complained: $(grep -h '^flakemorph:' "$WORK/daemon.log" "$WORK/preferences.log")"
fi
[[ ! -s "$BLOCKED_LOG" ]] || fail "a stock saver was started: $(cat "$BLOCKED_LOG")"
pass "no stock saver ran, flakemorph said nothing"
# SCREENSHOT_DIR keeps the pictures, to look at.
[[ -z "${SCREENSHOT_DIR:-}" ]] || cp "$WORK"/{blanked,woken,preferences}.png "$SCREENSHOT_DIR/"
