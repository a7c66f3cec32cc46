#!/usr/bin/env bash
# Measures what an output's scale costs on Wayland: one headless sway (pixman, as on a machine
# without a GPU) with one output of the given size; for each scale in turn, and the whole round
# ROUNDS times so that a noisy machine is spread over all of them alike, the frame rate the
# program reports and the CPU share of one core taken by the program and by sway over SECONDS
# after a 2-second start. Prints a line per run and the median of each scale.
#   scripts/wayland-scales-cpu.sh [PROGRAM] [WIDTHxHEIGHT] [ROUNDS] [SECONDS] [SCALES...]
#   (build/flakemorph 1920x1080 3 8 1 1.25 1.5 2)
# sway will not run as root: as root it runs as the user flakewayland, made if missing.
set -euo pipefail
program=$(realpath "${1:-build/flakemorph}")
size=${2:-1920x1080}
rounds=${3:-3}
seconds=${4:-8}
shift $(($# < 4 ? $# : 4))
scales=("$@")
((${#scales[@]})) || scales=(1 1.25 1.5 2)
source "$(dirname "$0")/headless-sway.sh"
start_headless_sway "$size"

ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
median() { sort -g | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }
: >"$work/results"
for round in $(seq "$rounds"); do
  for scale in "${scales[@]}"; do
    swaymsg output HEADLESS-1 scale "$scale" >/dev/null
    sleep 0.3
    env -u DISPLAY FLAKEMORPH_STATS=1 "$program" 2>"$work/stats" &
    program_pid=$!
    sleep 2
    sway_start=$(ticks "$sway_pid")
    program_start=$(ticks "$program_pid")
    time_start=$(date +%s.%N)
    sleep "$seconds"
    sway_end=$(ticks "$sway_pid")
    program_end=$(ticks "$program_pid")
    time_end=$(date +%s.%N)
    kill -TERM "$program_pid"
    wait "$program_pid" || true
    fps=$(grep '^fps' "$work/stats" | tail -n +2 | awk '{print $2}' | median)
    # The window's line: its buffers' pixels, and its pages' where they are scaled.
    buffers=$(sed -n 's/^flakemorph: window .*: \([0-9]*x[0-9]*\) pixels\(, pages [0-9]*x[0-9]*\)\{0,1\}.*/buffers \1\2/p' \
      "$work/stats" | tail -n 1)
    awk -v round="$round" -v scale="$scale" -v fps="$fps" -v hz="$(getconf CLK_TCK)" \
      -v p0="$program_start" -v p1="$program_end" -v s0="$sway_start" -v s1="$sway_end" \
      -v t0="$time_start" -v t1="$time_end" -v buffers="$buffers" 'BEGIN {
        seconds = t1 - t0
        printf "round %s scale %-4s fps %-5s flakemorph %5.1f%% sway %5.1f%% (%s)\n", round, scale,
          fps, 100 * (p1 - p0) / hz / seconds, 100 * (s1 - s0) / hz / seconds, buffers
      }' | tee -a "$work/results"
  done
done
echo "medians over $rounds rounds on one $size output:"
for scale in "${scales[@]}"; do
  program_share=$(awk -v s="$scale" '$4 == s {sub("%", "", $8); print $8}' "$work/results" | median)
  sway_share=$(awk -v s="$scale" '$4 == s {sub("%", "", $10); print $10}' "$work/results" | median)
  echo "scale $scale flakemorph $program_share% sway $sway_share%"
done
