#!/usr/bin/env bash
# The Windows saver's counterpart of live-cpu.sh: flakemorph.scr /s under Wine in a virtual X
# server of the given size, with the defaults stored (60 frames a second, no text). Prints the
# frame rate it reports and the CPU share of one core taken by the saver, the X server and
# Wine's server, over seconds 3 to 10 of a 12-second run. It runs in a Wine prefix of its own
# (made on the first run) with a Wine server it starts itself, so that it measures its own
# processes only and leaves the servers of any test run alone.
#   scripts/wine-cpu.sh [BUILD_DIR] [WIDTHxHEIGHT]   (defaults: build-windows 1280x720)
set -euo pipefail
build=$(realpath "${1:-build-windows}")
size=${2:-1280x720}
work=$(mktemp -d)
export WINEPREFIX="$build/wine-cpu" WINEDEBUG=-all WINEARCH=win64
export WINEDLLOVERRIDES="mscoree,mshtml="
wine_server=""
Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp 3>"$work/display" 2>/dev/null &
server=$!
end_servers() {
  [[ -z "$wine_server" ]] || wineserver -k 2>/dev/null || true
  kill "$server" 2>/dev/null || true
  rm -rf "$work"
}
trap end_servers EXIT
for _ in $(seq 100); do [[ -s "$work/display" ]] && break; sleep 0.05; done
export DISPLAY=":$(head -1 "$work/display")"
if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
  wineboot --init >/dev/null 2>&1
fi
# Whatever server this prefix (ours alone) still has, from wineboot or a run cut short.
wineserver -k 2>/dev/null || true
wineserver -w
# This prefix's own server, in the foreground of its process (the wrapper execs it), so that
# its process id is known rather than guessed; it learns this X server's screen.
wineserver -f -p &
wine_server=$!
sleep 0.5
kill -0 "$wine_server" 2>/dev/null || { echo "wine-cpu: the Wine server did not start" >&2; exit 1; }
wine reg delete 'HKCU\Software\flakemorph' /f >/dev/null 2>&1 || true

ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
FLAKEMORPH_STATS=1 timeout -s KILL 12 wine "$build/flakemorph.scr" /s 2>"$work/stats" &
runner=$!
sleep 3
saver=$(pgrep -P "$runner")
s0=$(ticks "$saver") x0=$(ticks "$server") w0=$(ticks "$wine_server") t0=$(date +%s.%N)
sleep 7
s1=$(ticks "$saver") x1=$(ticks "$server") w1=$(ticks "$wine_server") t1=$(date +%s.%N)
{ wait "$runner"; } 2>/dev/null || true

median() { sort -g | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }
fps=$(grep '^fps' "$work/stats" | tr -d '\r' | tail -n +2 | awk '{print $2}' | median)
awk -v size="$size" -v fps="$fps" -v hz="$(getconf CLK_TCK)" -v s0="$s0" -v s1="$s1" \
  -v x0="$x0" -v x1="$x1" -v w0="$w0" -v w1="$w1" -v t0="$t0" -v t1="$t1" 'BEGIN {
    seconds = t1 - t0
    printf "%s fps %s flakemorph.scr %.1f%% X server %.1f%% wineserver %.1f%%\n", size, fps,
      100 * (s1 - s0) / hz / seconds, 100 * (x1 - x0) / hz / seconds, 100 * (w1 - w0) / hz / seconds
  }'
