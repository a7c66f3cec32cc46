#!/usr/bin/env bash
# When the display goes away, flakemorph says so in one line and ends with status 1, in its own
# window and in a window of another program alike, even where it sees the window of another
# program destroyed first: that is the server shutting down, not the window's owner done.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
source "$(dirname "${BASH_SOURCE[0]}")/foreign_lib.sh"

PROXY="$BUILD_DIR/late-end-proxy"
PROXY_PID=""

# Starts a server, flakemorph in it with "$@", then ends the server under it. With LATE_END
# set, flakemorph reaches the server through a proxy that tells it of the server's end a second
# late, so that it sees the window of another program destroyed, as a server that shuts down
# destroys every window, well before its connection ends.
expect_lost_display() {
  rm -f "$WORK/display"
  start_xvfb
  local through=()
  if [[ -n "${LATE_END:-}" ]]; then
    require_tools "$PROXY"
    : >"$WORK/proxy.out"
    "$PROXY" "${DISPLAY#:}" 1000 >"$WORK/proxy.out" 2>"$WORK/proxy.err" &
    PROXY_PID=$!
    OTHER_PIDS+=("$PROXY_PID")
    wait_for_first_line "$PROXY_PID" "$WORK/proxy.out" late-end-proxy 10 "$WORK/proxy.err"
    through=(DISPLAY=":$(head -n 1 "$WORK/proxy.out")")
  fi
  if (($# > 0)); then
    start_host 300x200+10+10
    start_flakemorph_with FLAKEMORPH_STATS=1 "${through[@]}" -- "$@" --window-id "$HOST_WID"
  else
    start_flakemorph_with FLAKEMORPH_STATS=1 "${through[@]}" --
  fi
  wait_for_stats_lines "$WORK/app.err" 1 10
  kill -TERM "$XVFB_PID"
  wait "$XVFB_PID" || true
  XVFB_PID=""
  wait_for_exit 5
  [[ "$APP_STATUS" == 1 ]] || fail "${1:-own window}: status $APP_STATUS after the display went away"
  local said
  said=$(grep -v -e '^fps ' -e '^flakemorph: [0-9]* windows*, refresh' -e '^flakemorph: window 0x' "$WORK/app.err")
  [[ "$said" == "flakemorph: lost the display" ]] || fail "${1:-own window}: it said: $said"
  pass "${1:-own window}${LATE_END:+, told late of the end}: '$said', status 1"
  [[ -z "$HOST_PID" ]] || wait "$HOST_PID" 2>/dev/null || true
  HOST_PID=""
  if [[ -n "$PROXY_PID" ]]; then
    kill -TERM "$PROXY_PID"
    wait "$PROXY_PID" || true
    PROXY_PID=""
  fi
}

expect_lost_display
expect_lost_display -root
LATE_END=1 expect_lost_display -root
