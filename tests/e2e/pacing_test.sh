#!/usr/bin/env bash
# Frames are paced to 60 a second (Xvfb reports no refresh rate), not
# shown as fast as the machine can, and the CPU share stays small. The stats lines appear
# only when asked for.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

start_xvfb

# Beside it a preview window, which the full-screen one taking the keyboard leaves running.
env --default-signal=INT "$FLAKEMORPH" --window --geometry 320x200 >"$WORK/quiet.out" \
  2>"$WORK/quiet.err" &
quiet_pid=$!
OTHER_PIDS+=("$quiet_pid")
# Shown before the full-screen one, which then takes the keyboard: a window that took it later
# would end the full-screen one.
timeout 10 xdotool search --sync --onlyvisible --pid "$quiet_pid" >/dev/null ||
  fail "no preview window within 10 s"

start_flakemorph FLAKEMORPH_STATS=1
find_window
wait_for_stats_lines "$WORK/app.err" 4 20

mapfile -t lines < <(grep '^fps ' "$WORK/app.err" | head -n 4)
fps_values=()
cpu_values=()
for line in "${lines[@]}"; do
  [[ "$line" =~ ^fps\ ([0-9]+)\ cpu\ ([0-9]+)(\.[0-9])?%$ ]] || fail "malformed stats line '$line'"
  fps_values+=("${BASH_REMATCH[1]}")
  cpu_values+=("${BASH_REMATCH[2]}")
done
echo "stats: ${lines[*]}"

# The first second includes start-up; of the three after it, the middle one must be near the
# refresh rate, and none may run ahead of it (an unpaced window shows thousands).
median() { printf '%s\n' "$@" | sort -n | sed -n 2p; }
fps=$(median "${fps_values[@]:1}")
cpu=$(median "${cpu_values[@]:1}")
((fps >= 30 && fps <= 90)) || fail "median frame rate $fps, expected about 60 (30..90)"
for value in "${fps_values[@]}"; do
  ((value <= 90)) || fail "a second with $value frames: frames are not paced"
done
((cpu < 50)) || fail "median CPU share $cpu%: it should mostly wait"
pass "paced: median $fps fps, $cpu% of a core"

kill -0 "$quiet_pid" 2>/dev/null || fail "the flakemorph without stats ended by itself"
kill -TERM "$quiet_pid"
wait "$quiet_pid" || fail "the flakemorph without stats: status $? on SIGTERM"
[[ ! -s "$WORK/quiet.err" && ! -s "$WORK/quiet.out" ]] ||
  fail "without FLAKEMORPH_STATS it printed: $(head -c 200 "$WORK/quiet.err" "$WORK/quiet.out")"
pass "no stats without FLAKEMORPH_STATS"

end_with_sigterm "SIGTERM"
