#!/usr/bin/env bash
# The screen may sleep: in every mode the X server's idle time keeps growing while flakemorph
# runs (nothing resets it, so power saving and idle lockers start as they would without it),
# and the display's own screen saver is never suspended.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
source "$(dirname "${BASH_SOURCE[0]}")/foreign_lib.sh"
require_tools "$HOST_WINDOW"

start_xvfb
start_host 300x200+0+0

idle_ms() { "$HOST_WINDOW" --idle; }

# Runs flakemorph with "$@" for three seconds with nobody at the keyboard; the idle time must
# grow by all of that, from what it was before it started (which is made large enough that a
# reset at start-up would show).
check_idle_grows() {
  local before after state
  until (($(idle_ms) >= 1500)); do sleep 0.2; done
  before=$(idle_ms)
  start_flakemorph_with -- "$@"
  sleep 3
  kill -0 "$APP_PID" 2>/dev/null || fail "'$*' ended by itself"
  after=$(idle_ms)
  state=$("$HOST_WINDOW" --saver-state)
  end_with_sigterm "'$*'"
  ((after - before >= 2990)) ||
    fail "'$*': the idle time went from $before ms to $after ms over 3 s: it was reset"
  [[ "$state" != disabled ]] || fail "'$*' suspended the display's screen saver"
  pass "'$*': idle time from $before ms to $after ms, screen saver $state"
}

check_idle_grows
check_idle_grows --window
check_idle_grows --window-id "$HOST_WID"
check_idle_grows --root
