#!/usr/bin/env bash
# What flakemorph asks of the compositor, read from libwayland's own log of its requests
# (WAYLAND_DEBUG=client), for the faults no picture shows at once: every frame it commits says
# what changed (the whole buffer for about a second after a configure, so that no stale tile
# shows, then only the changes, and never nothing, however busy the frame); and the wallpaper
# never takes the keyboard from the desktop's windows.
source "$(dirname "${BASH_SOURCE[0]}")/wayland_lib.sh"

# Runs flakemorph with "$@" for $1 seconds with the requests logged to $WORK/app.err.
logged_run() {
  local seconds=$1
  shift
  FLAKEMORPH_ARGS=("$@")
  start_wayland_flakemorph WAYLAND_DEBUG=client
  sleep "$seconds"
  end_with_sigterm "flakemorph $*"
}

# Of the commits that attach a buffer: how many, how many of the first 55 damage the whole
# 1280x720 buffer, how many damage only parts of it, and how many damage nothing at all.
commit_counts() {
  awk '/-> wl_surface@[0-9]+\.damage_buffer\(/ { damaged++; if (/\(0, 0, 1280, 720\)/) whole = 1 }
       /-> wl_surface@[0-9]+\.attach\(wl_buffer/ { attached = 1 }
       /-> wl_surface@[0-9]+\.commit\(\)/ {
         if (attached) {
           commits++
           if (whole && commits <= 55) first_wholes++
           if (damaged && !whole) partial++
           if (!damaged) bare++
         }
         damaged = 0; whole = 0; attached = 0 }
       END { printf "%d %d %d %d\n", commits, first_wholes, partial, bare }' "$WORK/app.err"
}

start_sway 1280 720
# Four seconds hold a morph, when the circles fly over the whole picture and the changes are
# too many to send one by one.
logged_run 4
read -r commits first_wholes partial bare <<<"$(commit_counts)"
((commits > 150)) || fail "only $commits frames committed in 4 s"
((bare == 0)) || fail "$bare of $commits frames committed without any damage"
((first_wholes == 55)) || fail "only $first_wholes of the first 55 frames damaged whole"
((partial > 30)) || fail "only $partial of $commits frames damaged in part: the whole buffer for ever"
pass "$commits frames in 4 s, each with its damage: the first 55 whole, $partial in part later"

logged_run 2 --wallpaper
grep -q -e '-> zwlr_layer_surface_v1@[0-9]*\.set_keyboard_interactivity(0)' "$WORK/app.err" ||
  fail "the wallpaper does not refuse the keyboard"
! grep -q -e '-> zwlr_layer_surface_v1@[0-9]*\.set_keyboard_interactivity([12])' "$WORK/app.err" ||
  fail "the wallpaper asks for the keyboard"
! grep -q -e '-> wl_registry@[0-9]*\.bind(.*"wl_seat"' "$WORK/app.err" ||
  fail "the wallpaper binds the seat"
pass "the wallpaper takes neither the keyboard nor the seat"
