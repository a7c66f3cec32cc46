#!/usr/bin/env bash
# The web page's frame as WebAssembly under node against the same frame built natively
# (bench/page/page_frames.cpp in both builds), at the given sizes, each run RUNS times in turn;
# prints the medians and their ratio. A benchmark, not a test: a shared machine is noisy.
#   scripts/web-frame-cost.sh [RUNS] [SIZE]...   (defaults: 5 1280x720 1920x1080)
set -euo pipefail
runs=${1:-5}
shift || true
sizes=("${@:-1280x720}")
[[ $# -gt 0 ]] || sizes=(1280x720 1920x1080)
here=$(dirname "$(realpath "$0")")/..
native=$here/build/flakemorph-page-bench
wasm=$here/build-web/flakemorph-page-bench.wasm
median() { sort -g | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }
microseconds() { sed -n 's/.*: \([0-9.]*\) us a frame/\1/p'; }
for size in "${sizes[@]}"; do
  : > /tmp/native.$$
  : > /tmp/wasm.$$
  for ((run = 0; run < runs; run++)); do
    "$native" "$size" 1800 | microseconds >> /tmp/native.$$
    node --no-warnings --experimental-wasi-unstable-preview1 "$here/tools/wasi_run.mjs" "$wasm" \
      "$size" 1800 | microseconds >> /tmp/wasm.$$
  done
  n=$(median < /tmp/native.$$)
  w=$(median < /tmp/wasm.$$)
  awk -v size="$size" -v n="$n" -v w="$w" -v runs="$runs" 'BEGIN {
    printf "%s: native %.1f us, wasm %.1f us a frame (medians of %d runs): %.2fx\n", size, n, w, runs, w / n
  }'
done
rm -f /tmp/native.$$ /tmp/wasm.$$
