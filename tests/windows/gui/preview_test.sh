#!/usr/bin/env bash
# flakemorph.scr /p HWND, started by a window that plays the Screen Saver settings' preview:
# the saver's window is a child of that window, exactly its size, even after the window grew,
# and the saver ends with status 0 when that window is destroyed. Asked to close while the host
# serves none of its messages (a settings dialog busy, or closing), it ends all the same: its
# end waits for no answer from the host. (Wine does not show drawing in a child window of
# another process, so the pixels are not looked at; real Windows shows them.)
# shellcheck source=tests/windows/gui/wine_lib.sh
source "$(dirname "$0")/wine_lib.sh"
[[ -x "$PREVIEW_HOST" ]] || fail "no preview host at $PREVIEW_HOST"
start_xvfb
start_wine_server
store_settings

# WIDTH HEIGHT [GROWN_WIDTH GROWN_HEIGHT]
check_preview() {
  local width=$1 height=$2
  local status=0
  (cd "$BUILD_DIR" && timeout 60 wine "$PREVIEW_HOST" "$SAVER" 4 "$@") \
    >"$WORK/host.raw" 2>"$WORK/host.err" || status=$?
  tr -d '\r' <"$WORK/host.raw" >"$WORK/host.out"
  ((status == 0)) || fail "preview host: status $status: $(cat "$WORK/host.out" "$WORK/host.err")"
  grep -q "^host [0-9]* ${width}x$height$" "$WORK/host.out" || fail "host: $(head -n 1 "$WORK/host.out")"
  grep -qx 'children 1' "$WORK/host.out" || fail "not one child window: $(cat "$WORK/host.out")"
  if (($# == 4)); then
    grep -qx "host now ${3}x$4" "$WORK/host.out" || fail "the host did not grow: $(cat "$WORK/host.out")"
    width=$3 height=$4
  fi
  grep -qx "child of-host ${width}x$height class flakemorph visible 1" "$WORK/host.out" ||
    fail "the child window: $(grep '^child' "$WORK/host.out")"
  grep -qx 'saver running before the window went' "$WORK/host.out" || fail "the saver ended early"
  grep -q '^saver ended .* status 0$' "$WORK/host.out" || fail "$(tail -n 1 "$WORK/host.out")"
  pass "/p in a window of $*: $(tail -n 1 "$WORK/host.out")"
}

check_preview 152 112
check_preview 300 180
check_preview 320 200 640 400

status=0
(cd "$BUILD_DIR" && PREVIEW_HOST_BUSY=1 timeout 60 wine "$PREVIEW_HOST" "$SAVER" 3 200 150) \
  >"$WORK/host.raw" 2>"$WORK/host.err" || status=$?
tr -d '\r' <"$WORK/host.raw" >"$WORK/host.out"
((status == 0)) || fail "with the host busy: $(tail -n 1 "$WORK/host.out") $(cat "$WORK/host.err")"
pass "with the host busy: $(tail -n 1 "$WORK/host.out")"

echo PASS
