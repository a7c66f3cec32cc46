# shellcheck shell=bash disable=SC2034 # sourced by the tests, which use these names
# Shared by the end-to-end tests: a virtual X server of their own, flakemorph started as a
# direct child (so that `wait` gives its status and the moment it ended), and waits that all
# give up after a limit with a message saying what did not happen.
set -euo pipefail
export LC_ALL=C

: "${BUILD_DIR:?BUILD_DIR must name the build folder}"
# FLAKEMORPH_INSTALLED names an installed program to test instead of the build's.
FLAKEMORPH="${FLAKEMORPH_INSTALLED:-$BUILD_DIR/flakemorph}"
CLOSE_REQUEST="$BUILD_DIR/close-request"
# The real ImageMagick, not whatever else is called convert earlier on PATH.
CONVERT=/usr/bin/convert
IMPORT=/usr/bin/import
COMPARE=/usr/bin/compare
SCREEN_WIDTH=1280
SCREEN_HEIGHT=720
SCREEN_DEPTH=24
# More arguments for Xvfb: more screens, extensions left out.
XVFB_ARGS=()

# The tests are about the X11 window whatever the caller's environment says.
unset WAYLAND_DISPLAY FLAKEMORPH_STATS

WORK=$(mktemp -d)
XVFB_PID=""
APP_PID=""
# Any other flakemorph a test starts by hand, so that cleanup ends it too.
OTHER_PIDS=()
WID=""
FLAKEMORPH_ARGS=()
APP_STATUS=""
APP_MILLISECONDS=""

fail() {
  echo "FAIL: $*" >&2
  if [[ -s "$WORK/app.err" ]]; then
    echo "--- flakemorph's stderr:" >&2
    tail -n 20 "$WORK/app.err" >&2
  fi
  exit 1
}

pass() {
  echo "ok: $*"
}

MAIN_SHELL=$BASHPID
cleanup() {
  # A forked child that has not yet become its command still carries this trap.
  [[ $BASHPID == "$MAIN_SHELL" ]] || return 0
  local pid
  for pid in "$APP_PID" "${OTHER_PIDS[@]}" "$XVFB_PID"; do
    if [[ -n "$pid" ]]; then
      # A compositor's session bus wrapper leaves its children behind when it is killed.
      pkill -KILL -P "$pid" 2>/dev/null || true
      kill -KILL "$pid" 2>/dev/null || true
      wait "$pid" 2>/dev/null || true
    fi
  done
  rm -rf "$WORK"
}
trap cleanup EXIT

now_ms() {
  local micros=${EPOCHREALTIME/[.,]/}
  echo $((micros / 1000))
}

require_tools() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null || [[ -x "$tool" ]] || fail "$tool is not installed"
  done
  [[ -x "$FLAKEMORPH" ]] || fail "no flakemorph at $FLAKEMORPH"
}

# A fresh X server at SCREEN_WIDTH x SCREEN_HEIGHT x SCREEN_DEPTH, on a display number it picks
# itself.
# Its root is white, so that a black screen proves the window covers it. -noreset keeps it
# from resetting between one flakemorph and the next.
# Waits until the background process $1 has written its first line to $2 (a display number, a
# window id) and fails, naming $3, if it ends first or takes more than $4 seconds; $5 is the log
# to quote when it ended.
wait_for_first_line() {
  local pid=$1 file=$2 name=$3 seconds=$4 log=$5
  local deadline=$(($(now_ms) + seconds * 1000))
  until [[ -s "$file" ]]; do
    kill -0 "$pid" 2>/dev/null || fail "$name ended at start: $(tail -n 5 "$log")"
    (($(now_ms) < deadline)) || fail "$name wrote nothing within $seconds s"
    sleep 0.05
  done
}

start_xvfb() {
  require_tools Xvfb xdotool "$CONVERT" "$IMPORT"
  Xvfb -displayfd 3 -screen 0 "${SCREEN_WIDTH}x${SCREEN_HEIGHT}x${SCREEN_DEPTH}" -nolisten tcp -noreset -wr \
    "${XVFB_ARGS[@]}" 3>"$WORK/display" 2>"$WORK/xvfb.log" &
  XVFB_PID=$!
  wait_for_first_line "$XVFB_PID" "$WORK/display" Xvfb 15 "$WORK/xvfb.log"
  DISPLAY=":$(head -n 1 "$WORK/display")"
  export DISPLAY
}

# Starts flakemorph in the background with the given environment assignments (NAME=VALUE ...)
# and the arguments in FLAKEMORPH_ARGS; its stdout and stderr go to $WORK/app.out and
# $WORK/app.err. A background job of a script
# starts with SIGINT ignored; env gives it back its default, as a terminal would.
# shellcheck disable=SC2120 # the environment assignments are optional
start_flakemorph() {
  env --default-signal=INT "$@" "$FLAKEMORPH" "${FLAKEMORPH_ARGS[@]}" >"$WORK/app.out" \
    2>"$WORK/app.err" &
  APP_PID=$!
  APP_STATUS=""
}

# Sets WID to flakemorph's window once it is on the screen.
find_window() {
  local deadline=$(($(now_ms) + 10000))
  WID=""
  while [[ -z "$WID" ]] && (($(now_ms) < deadline)); do
    # A search fails outright when a window of another program goes while it looks: look again.
    WID=$(xdotool search --onlyvisible --pid "$APP_PID" 2>/dev/null | head -n 1) || true
    [[ -n "$WID" ]] || sleep 0.1
  done
  [[ -n "$WID" ]] || fail "no visible window of flakemorph within 10 s"
}

# Waits at most $1 seconds for flakemorph to end; sets APP_STATUS and APP_MILLISECONDS, the
# time from $2 (a now_ms reading, default now) to its end.
wait_for_exit() {
  local limit=$1 since=${2:-$(now_ms)} watchdog finished="" status=0
  sleep "$limit" &
  watchdog=$!
  wait -n -p finished "$APP_PID" "$watchdog" || status=$?
  if [[ "$finished" != "$APP_PID" ]]; then
    fail "flakemorph still running $limit s later"
  fi
  # SIGKILL, so that a watchdog not yet turned into sleep cannot run the exit trap.
  kill -KILL "$watchdog" 2>/dev/null || true
  wait "$watchdog" 2>/dev/null || true
  APP_PID=""
  APP_STATUS=$status
  APP_MILLISECONDS=$(($(now_ms) - since))
}

# Sends flakemorph SIGTERM and checks that it ends with status 0 within 2 seconds; $1 names
# the case in the failure. APP_MILLISECONDS counts from the signal.
end_with_sigterm() {
  local since
  since=$(now_ms)
  kill -TERM "$APP_PID"
  wait_for_exit 2 "$since"
  [[ "$APP_STATUS" == 0 ]] || fail "$1: status $APP_STATUS after SIGTERM"
}

# Checks that flakemorph ended by itself with status 0 within $1 seconds of $2, and said
# nothing on stderr.
expect_clean_exit_within() {
  local limit=$1 since=$2 what=$3
  wait_for_exit "$limit" "$since"
  [[ "$APP_STATUS" == 0 ]] || fail "$what: status $APP_STATUS, expected 0"
  [[ ! -s "$WORK/app.err" ]] || fail "$what: unexpected output on stderr"
  pass "$what ends it with status 0 in $APP_MILLISECONDS ms"
}

# Waits at most $3 seconds until file $1 has at least $2 lines that start with "fps ".
wait_for_stats_lines() {
  local file=$1 count=$2 limit=$3
  local deadline=$(($(now_ms) + limit * 1000))
  until (($(grep -c '^fps ' "$file" || true) >= count)); do
    [[ -z "$APP_PID" ]] || kill -0 "$APP_PID" 2>/dev/null || fail "flakemorph ended early"
    (($(now_ms) < deadline)) || fail "fewer than $count stats lines within $limit s"
    sleep 0.1
  done
}

# Screenshot of the whole screen.
screenshot() {
  timeout 10 "$IMPORT" -window root "$1" || fail "could not take a screenshot"
}

# The share of pixels of a picture that are not pure black, 0 to 1.
non_black_share() {
  "$CONVERT" "$1" -alpha off -fill white +opaque black -format '%[fx:mean]' info:
}

# The share of pixels of a picture in the grey of the frame-rate text's box, 0 to 1.
overlay_share() {
  "$CONVERT" "$1" -alpha off -fill black +opaque "rgb(40,40,40)" -fill white -opaque "rgb(40,40,40)" \
    -format '%[fx:mean]' info:
}

# Whether window $1 gets the window manager's frame: a window that bypasses the window manager
# (override-redirect) never does; another one does unless its Motif hints ask for none. The
# Motif atom exists only where some client made it: make it with motif_hints_atom first.
motif_hints_atom() {
  xprop -root -f _MOTIF_WM_HINTS 32c -set _MOTIF_WM_HINTS 0 || fail "cannot make the Motif atom"
}
decorated() {
  local hints
  xwininfo -id "$1" | grep -q 'Override Redirect State: no' || return 1
  hints=$(xprop -id "$1" _MOTIF_WM_HINTS)
  [[ "$hints" == *"not found"* ]] && return 0
  [[ "$hints" =~ =\ [^,]+,\ [^,]+,\ 0x([0-9a-f]+) ]] || fail "window $1 has odd Motif hints: $hints"
  [[ ${BASH_REMATCH[1]} != 0 ]]
}
