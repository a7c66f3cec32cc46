#!/usr/bin/env bash
# Measures two runs of the program at once, each in a virtual X server of its own of the given
# size, so that a busy shared machine weighs on both alike: as live-cpu.sh, the frame rate each
# reports and the CPU share of one core taken by each program and its X server, over seconds 2
# to 9 of a 10-second run. The first run takes no arguments, the second those given.
#   scripts/live-cpu-side-by-side.sh PROGRAM WIDTHxHEIGHT ARGUMENTS...
#   e.g. scripts/live-cpu-side-by-side.sh build/flakemorph 3840x2160 --scale 2
# Prints one line per run; run it a few times and take medians.
set -euo pipefail
program=$1
size=$2
shift 2
work=$(mktemp -d)
servers=()
trap 'kill "${servers[@]}" 2>/dev/null || true; rm -rf "$work"' EXIT

ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
median() { sort -g | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }

# Run $1 in a server of its own, with the arguments after it.
start_run() {
  local run=$1
  shift
  Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp 3>"$work/display$run" 2>/dev/null &
  servers[run]=$!
  for _ in $(seq 100); do [[ -s "$work/display$run" ]] && break; sleep 0.05; done
  DISPLAY=":$(head -1 "$work/display$run")" FLAKEMORPH_STATS=1 timeout -s TERM 10 "$program" "$@" \
    2>"$work/stats$run" &
  runners[run]=$!
}

runners=()
start_run 0
start_run 1 "$@"
sleep 2
declare -a program_pids server_start program_start server_end program_end
for run in 0 1; do
  program_pids[run]=$(pgrep -P "${runners[run]}")
  server_start[run]=$(ticks "${servers[run]}")
  program_start[run]=$(ticks "${program_pids[run]}")
done
time_start=$(date +%s.%N)
sleep 7
for run in 0 1; do
  server_end[run]=$(ticks "${servers[run]}")
  program_end[run]=$(ticks "${program_pids[run]}")
done
time_end=$(date +%s.%N)
wait "${runners[@]}" || true

for run in 0 1; do
  fps=$(grep '^fps' "$work/stats$run" | tail -n +2 | awk '{print $2}' | median)
  label="(no arguments)"
  ((run == 0)) || label="$*"
  awk -v size="$size" -v fps="$fps" -v hz="$(getconf CLK_TCK)" -v label="$label" \
    -v p0="${program_start[run]}" -v p1="${program_end[run]}" \
    -v s0="${server_start[run]}" -v s1="${server_end[run]}" \
    -v t0="$time_start" -v t1="$time_end" 'BEGIN {
      seconds = t1 - t0
      printf "%s %s: fps %s flakemorph %.1f%% X server %.1f%%\n", size, label, fps,
        100 * (p1 - p0) / hz / seconds, 100 * (s1 - s0) / hz / seconds
    }'
done
