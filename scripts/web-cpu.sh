#!/usr/bin/env bash
# Measures the web page in a browser as live-cpu.sh measures the program: Chromium in kiosk
# mode, full screen in a virtual X server of the given size, showing the page; the CPU share of
# one core taken by all of Chromium's processes and by the X server, from /proc, over seconds 4
# to 14 of a 15-second run (start-up left out), and the frames the page drew meanwhile.
#   scripts/web-cpu.sh [PAGE] [WIDTHxHEIGHT] [QUERY]
#   (defaults: build-web/flakemorph.html 1920x1080, no query)
# Prints one line; run it a few times and take medians: a shared machine is noisy.
set -euo pipefail
page=$(realpath "${1:-build-web/flakemorph.html}")
size=${2:-1920x1080}
query=${3:-}
work=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp 3>"$work/display" 2>/dev/null &
server=$!
browser=
trap '[[ -n "$browser" ]] && kill "$browser" 2>/dev/null; kill "$server" 2>/dev/null || true
  sleep 1; rm -rf "$work"' EXIT
for _ in $(seq 100); do [[ -s "$work/display" ]] && break; sleep 0.05; done
export DISPLAY=":$(head -1 "$work/display")"

# The browser and every process it started, at this moment.
family() {
  ps -e -o pid=,ppid= | awk -v root="$browser" '
    { parent[$1] = $2 }
    END {
      for (pid in parent) {
        for (p = pid; p != "" && p != 1 && p != 0; p = parent[p]) if (p == root) { print pid; break }
      }
    }'
}
ticks() { awk '{print $14 + $15}' "/proc/$1/stat" 2>/dev/null || true; }
# pid ticks, a line each, for the browser's family now.
family_ticks() { for pid in $(family); do echo "$pid $(ticks "$pid")"; done; }

chromium --no-sandbox --kiosk --no-first-run --no-default-browser-check --disable-translate \
  --user-data-dir="$work/profile" --window-position=0,0 --window-size="${size/x/,}" \
  "file://$page${query:+?$query}" >/dev/null 2>&1 &
browser=$!
sleep 4
family_ticks > "$work/before"
server_start=$(ticks "$server")
time_start=$(date +%s.%N)
sleep 10
family_ticks > "$work/after"
# SCREENSHOT=FILE: the screen as the run ends, to see what was measured.
[[ -n "${SCREENSHOT:-}" ]] && import -window root "$SCREENSHOT"
server_end=$(ticks "$server")
time_end=$(date +%s.%N)
# Only the processes there at both ends: one that came or went would count in part.
browser_ticks=$(join <(sort "$work/before") <(sort "$work/after") | awk '{s += $3 - $2} END {print s + 0}')
processes=$(join <(sort "$work/before") <(sort "$work/after") | wc -l)
# Where it goes: the share of each kind of Chromium process (its --type, or the browser's own).
kinds=$(join <(sort "$work/before") <(sort "$work/after") | while read -r pid start end; do
  # Chromium rewrites its helpers' command lines into one string.
  kind=$(tr '\0' ' ' < "/proc/$pid/cmdline" 2>/dev/null | grep -o -- '--type=[a-z-]*' | head -1)
  kind=${kind#--type=}
  echo "${kind:-browser} $((end - start))"
done | awk -v hz="$(getconf CLK_TCK)" -v t0="$time_start" -v t1="$time_end" '
  { ticks[$1] += $2 } END { for (k in ticks) printf " %s %.1f%%", k, 100 * ticks[k] / hz / (t1 - t0) }')
awk -v size="$size" -v processes="$processes" -v hz="$(getconf CLK_TCK)" \
  -v b="$browser_ticks" -v s0="$server_start" -v s1="$server_end" \
  -v t0="$time_start" -v t1="$time_end" -v kinds="${kinds# }" 'BEGIN {
    seconds = t1 - t0
    printf "%s chromium (%d processes) %.1f%% X server %.1f%% (%s)\n", size, processes,
      100 * b / hz / seconds, 100 * (s1 - s0) / hz / seconds, kinds
  }'
