# shellcheck shell=bash
# For the tests of flakemorph in a window of another program: a stand-in for the daemon's
# window (tools/host_window.c), and flakemorph started with arguments. Sourced after lib.sh.
HOST_WINDOW="$BUILD_DIR/host-window"
HOST_PID=""
HOST_WID=""
HOST_COLOR="3060c0"

# Makes the host window at WxH+X+Y; sets HOST_WID (decimal) and HOST_PID. SIGUSR1 to HOST_PID
# destroys the window.
start_host() {
  require_tools "$HOST_WINDOW"
  : >"$WORK/host.out"
  "$HOST_WINDOW" "$1" >>"$WORK/host.out" 2>"$WORK/host.err" &
  HOST_PID=$!
  OTHER_PIDS+=("$HOST_PID")
  wait_for_first_line "$HOST_PID" "$WORK/host.out" host-window 10 "$WORK/host.err"
  HOST_WID=$(head -n 1 "$WORK/host.out")
}

# Ends the host tool, and with it its window.
stop_host() {
  kill -TERM "$HOST_PID"
  wait "$HOST_PID" 2>/dev/null || true
  HOST_PID=""
}

# Starts flakemorph in the background: [NAME=VALUE...] -- ARGUMENTS...
start_flakemorph_with() {
  local assignments=()
  while (($# > 0)) && [[ "$1" != "--" ]]; do
    assignments+=("$1")
    shift
  done
  shift
  # Emptied here, not by the background job, which may truncate only after a wait for the
  # stats has read what the previous run wrote.
  : >"$WORK/app.out"
  : >"$WORK/app.err"
  env --default-signal=INT "${assignments[@]}" "$FLAKEMORPH" "$@" \
    >>"$WORK/app.out" 2>>"$WORK/app.err" &
  APP_PID=$!
  APP_STATUS=""
}

# Runs flakemorph to its end: [NAME=VALUE...] -- ARGUMENTS...; sets APP_STATUS.
run_flakemorph_with() {
  start_flakemorph_with "$@"
  wait_for_exit 10
}

# The number of direct children of the root window.
top_level_windows() {
  xwininfo -root -children | sed -n 's/^ *\([0-9]*\) child.*/\1/p'
}

# Counts the pixels of colour RRGGBB in a picture.
count_color() {
  "$CONVERT" "$1" -alpha off -fill black +opaque "#$2" -fill white -opaque "#$2" \
    -format '%[fx:int(mean*w*h+0.5)]' info:
}
