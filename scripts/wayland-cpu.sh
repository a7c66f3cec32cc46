#!/usr/bin/env bash
# Measures the running program on Wayland, beside X11: in a headless sway of the given size
# (software rendering with pixman, as on a machine without a GPU) the frame rate it reports and
# the CPU share of one core taken by the program and by sway over 10 seconds after a 2-second
# start; then the same program in a virtual X server (scripts/live-cpu.sh).
#   scripts/wayland-cpu.sh [PROGRAM] [WIDTHxHEIGHT] [SCALE]   (build/flakemorph 1920x1080 1)
# sway will not run as root: as root it runs as the user flakewayland, made if missing. Prints
# two lines; run it a few times and take medians: a shared machine is noisy.
set -euo pipefail
program=$(realpath "${1:-build/flakemorph}")
size=${2:-1920x1080}
scale=${3:-1}
here=$(dirname "$0")
source "$here/headless-sway.sh"
start_headless_sway "$size" "$scale"

ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
env -u DISPLAY FLAKEMORPH_STATS=1 "$program" 2>"$work/stats" &
program_pid=$!
sleep 2
sway_start=$(ticks "$sway_pid")
program_start=$(ticks "$program_pid")
time_start=$(date +%s.%N)
sleep 10
sway_end=$(ticks "$sway_pid")
program_end=$(ticks "$program_pid")
time_end=$(date +%s.%N)
kill -TERM "$program_pid"
wait "$program_pid" || true

median() { sort -g | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }
fps=$(grep '^fps' "$work/stats" | tail -n +2 | awk '{print $2}' | median)
awk -v size="$size" -v scale="$scale" -v fps="$fps" -v hz="$(getconf CLK_TCK)" \
  -v p0="$program_start" -v p1="$program_end" -v s0="$sway_start" -v s1="$sway_end" \
  -v t0="$time_start" -v t1="$time_end" 'BEGIN {
    seconds = t1 - t0
    printf "Wayland %s scale %s fps %s flakemorph %.1f%% sway %.1f%%\n", size, scale, fps,
      100 * (p1 - p0) / hz / seconds, 100 * (s1 - s0) / hz / seconds
  }'
kill "$sway_pid" 2>/dev/null || true
wait "$sway_pid" 2>/dev/null || true
sway_pid=""
printf 'X11 (Xvfb) '
env -u WAYLAND_DISPLAY bash "$here/live-cpu.sh" "$program" "$size"
