# shellcheck shell=bash disable=SC2034 # sourced by the tests, which use these names
# Shared by the tests of the Windows build under Wine: the end-to-end helpers of the Linux
# tests (a virtual X server of their own, waits with limits, screenshots), with the saver run
# through Wine in place of the Linux program. Wine's server keeps what it learnt of the X
# server it first served (its monitors, their sizes), so each test has a server of its own,
# started once its X server runs and ended with the test.
# shellcheck source=tests/e2e/lib.sh
source "${SOURCE_DIR:?}/tests/e2e/lib.sh"

SAVER="$BUILD_DIR/flakemorph.scr"
PREVIEW_HOST="$BUILD_DIR/preview-host.exe"
FLAKEMORPH=$SAVER # what require_tools looks for
export WINEPREFIX="${WINEPREFIX:-$BUILD_DIR/wine}" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
require_tools wine
SETTINGS_KEY='HKCU\Software\flakemorph'

# A Wine server for this test's X server (call after starting it), kept until the test ends;
# one Wine process runs alone on it first.
start_wine_server() {
  wineserver -k 2>/dev/null || true
  wineserver -w
  wineserver -p
  trap 'wineserver -k 2>/dev/null || true; cleanup' EXIT
  wine reg query 'HKCU\Control Panel' >/dev/null 2>&1 || true
}

# Starts the saver under Wine in the background with the given arguments; its stdout and
# stderr go to $WORK/app.out and $WORK/app.err. Wine's launcher becomes the saver's process,
# so APP_PID is the saver and `wait` gives its status.
start_saver() {
  env --default-signal=INT wine "$SAVER" "$@" >"$WORK/app.out" 2>"$WORK/app.err" &
  APP_PID=$!
  APP_STATUS=""
}

# Waits until the saver has shown $1 frame-rate lines (FLAKEMORPH_STATS=1): it is drawing.
wait_until_drawing() {
  wait_for_stats_lines "$WORK/app.err" "${1:-1}" 30
}

# The stored settings: none (the defaults), or "RATE SHOW_FPS".
store_settings() {
  wine reg delete "$SETTINGS_KEY" /f >/dev/null 2>&1 || true
  if (($# == 2)); then
    wine reg add "$SETTINGS_KEY" /v Rate /t REG_DWORD /d "$1" /f >/dev/null
    wine reg add "$SETTINGS_KEY" /v ShowFps /t REG_DWORD /d "$2" /f >/dev/null
  fi
}

# A stored value, as reg prints it (0x37), or nothing.
stored_value() {
  wine reg query "$SETTINGS_KEY" /v "$1" 2>/dev/null | tr -d '\r' |
    awk -v name="$1" '$1 == name { print $3 }'
}
