#!/usr/bin/env bash
# Measures the running program in a virtual X server of the given size: the frame rate it
# reports (FLAKEMORPH_STATS=1) and the CPU share of one core taken by the program and by the X
# server, from /proc, over seconds 2 to 9 of a 10-second run (start-up left out).
#   scripts/live-cpu.sh [PROGRAM] [WIDTHxHEIGHT]   (defaults: build/flakemorph 1920x1080)
# Prints one line; run it a few times and take medians: a shared machine is noisy.
set -euo pipefail
program=${1:-build/flakemorph}
size=${2:-1920x1080}
work=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp 3>"$work/display" 2>/dev/null &
server=$!
trap 'kill "$server" 2>/dev/null || true; rm -rf "$work"' EXIT
for _ in $(seq 100); do [[ -s "$work/display" ]] && break; sleep 0.05; done
export DISPLAY=":$(head -1 "$work/display")"

ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
FLAKEMORPH_STATS=1 timeout -s TERM 10 "$program" 2>"$work/stats" &
runner=$!
sleep 2
program_pid=$(pgrep -P "$runner")
server_start=$(ticks "$server")
program_start=$(ticks "$program_pid")
time_start=$(date +%s.%N)
sleep 7
server_end=$(ticks "$server")
program_end=$(ticks "$program_pid")
time_end=$(date +%s.%N)
wait "$runner" || true

median() { sort -g | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }
fps=$(grep '^fps' "$work/stats" | tail -n +2 | awk '{print $2}' | median)
awk -v size="$size" -v fps="$fps" -v hz="$(getconf CLK_TCK)" \
  -v p0="$program_start" -v p1="$program_end" -v s0="$server_start" -v s1="$server_end" \
  -v t0="$time_start" -v t1="$time_end" 'BEGIN {
    seconds = t1 - t0
    printf "%s fps %s flakemorph %.1f%% X server %.1f%%\n", size, fps,
      100 * (p1 - p0) / hz / seconds, 100 * (s1 - s0) / hz / seconds
  }'
