#!/usr/bin/env bash
# --rate: frames a second as asked, below the display's refresh and above it, for the whole
# program and not per window; FLAKEMORPH_STATS tells.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

# Runs flakemorph with "$@" for four stats lines; sets FPS and CPU to the medians of the last
# three (the first second includes the start-up).
measure() {
  FLAKEMORPH_ARGS=("$@")
  start_flakemorph FLAKEMORPH_STATS=1
  find_window
  wait_for_stats_lines "$WORK/app.err" 4 20
  local lines line fps_values=() cpu_values=()
  mapfile -t lines < <(grep '^fps ' "$WORK/app.err" | head -n 4)
  for line in "${lines[@]:1}"; do
    [[ "$line" =~ ^fps\ ([0-9]+)\ cpu\ ([0-9.]+)%$ ]] || fail "malformed stats line '$line'"
    fps_values+=("${BASH_REMATCH[1]}")
    cpu_values+=("${BASH_REMATCH[2]}")
  done
  FPS=$(printf '%s\n' "${fps_values[@]}" | sort -n | sed -n 2p)
  CPU=$(printf '%s\n' "${cpu_values[@]}" | sort -n | sed -n 2p)
  echo "'$*': $(head -n 1 "$WORK/app.err"); ${lines[*]}"
  end_with_sigterm "'$*'"
}

start_xvfb

measure --rate 30
((FPS == 30)) || fail "--rate 30 gave $FPS frames a second"
pass "--rate 30: $FPS frames a second, $CPU% of a core"

measure -rate=10 --window
((FPS == 10)) || fail "-rate=10 --window gave $FPS frames a second"
pass "-rate=10 in the preview window: $FPS frames a second, $CPU% of a core"

# Xvfb waits for no refresh, so a rate above its 60 Hz holds too.
measure --rate 120 --geometry 320x200
((FPS >= 100 && FPS <= 121)) || fail "--rate 120 gave $FPS frames a second"
pass "--rate 120: $FPS frames a second, $CPU% of a core"
