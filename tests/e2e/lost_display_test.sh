#!/usr/bin/env bash
# When the display goes away, flakemorph says so in one line and ends with status 1, in its own
# window and in a window of another program alike.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
source "$(dirname "${BASH_SOURCE[0]}")/foreign_lib.sh"

# Starts a server, flakemorph in it with "$@", then ends the server under it.
expect_lost_display() {
  rm -f "$WORK/display"
  start_xvfb
  if (($# > 0)); then
    start_host 300x200+10+10
    start_flakemorph_with FLAKEMORPH_STATS=1 -- "$@" --window-id "$HOST_WID"
  else
    start_flakemorph_with FLAKEMORPH_STATS=1 --
  fi
  wait_for_stats_lines "$WORK/app.err" 1 10
  kill -TERM "$XVFB_PID"
  wait "$XVFB_PID" || true
  XVFB_PID=""
  wait_for_exit 5
  [[ "$APP_STATUS" == 1 ]] || fail "${1:-own window}: status $APP_STATUS after the display went away"
  local said
  said=$(grep -v -e '^fps ' -e '^flakemorph: [0-9]* windows*, refresh' -e '^flakemorph: drawing into' "$WORK/app.err")
  [[ "$said" == "flakemorph: lost the display" ]] || fail "${1:-own window}: it said: $said"
  pass "${1:-own window}: '$said', status 1"
  [[ -z "$HOST_PID" ]] || wait "$HOST_PID" 2>/dev/null || true
  HOST_PID=""
}

expect_lost_display
expect_lost_display -root
