#!/usr/bin/env bash
# A run that cannot be done ends at once with one line under the tool's name and status 1: pages
# too large for the memory there is (the system's or a memory cgroup's), a random input that is
# bad, short, empty or of endless lines, and help or a version that cannot be written. An input
# without end is read only as far as the run needs.
# shellcheck source=tests/tool/trace_lib.sh
source "$(dirname "$0")/trace_lib.sh"

# expect_failure WHAT MESSAGE COMMAND...: status 1, and MESSAGE as the one line on stderr.
expect_failure() {
  local what=$1 message=$2 status=0
  shift 2
  "$@" >"$WORK/out" 2>"$WORK/err" || status=$?
  ((status == 1)) || fail "$what: status $status, not 1: $(head -3 "$WORK/err")"
  (($(wc -l <"$WORK/err") == 1)) || fail "$what: not one line on stderr: $(cat "$WORK/err")"
  grep -q "^flakemorph-trace: " "$WORK/err" || fail "$what: not under the tool's name: $(cat "$WORK/err")"
  grep -qF -- "$message" "$WORK/err" || fail "$what: stderr lacks '$message': $(cat "$WORK/err")"
}

# The largest pages, with pictures, need 56 GiB; where that much is free the refusal cannot be
# seen.
test_pages_beyond_the_memory_are_refused() {
  local free_kb
  free_kb=$(awk '/^(MemAvailable|SwapFree):/ { sum += $2 } END { print sum + 0 }' /proc/meminfo)
  if ((free_kb > 56 * 1024 * 1024)); then
    echo "SKIP: $((free_kb / 1024 / 1024)) GiB free, the largest run would fit"
    return
  fi
  expect_failure "65534x65534 with pictures" "needs 56.0 GiB of memory, but only" \
    "$TRACE" --size 65534x65534 --frames 1 --clock 1 --png "$WORK/huge"
  [[ -z "$(ls -A "$WORK/huge")" ]] || fail "the refused run wrote pictures"
}

# A memory cgroup of 256 MiB of our own, where the system lets root make one (v2 or v1); else
# nothing. The shell that runs in it is this one's child, so this one stays outside.
make_memory_cgroup() {
  local own v2
  if ((EUID != 0)); then return 1; fi
  v2=$(sed -n 's/^0:://p' /proc/self/cgroup)
  own=$(sed -n 's/^[0-9]*:[^:]*memory[^:]*://p' /proc/self/cgroup)
  if [[ -n "$own" && -d "/sys/fs/cgroup/memory$own" ]]; then
    CGROUP="/sys/fs/cgroup/memory${own%/}/flakemorph-trace-test-$$"
    mkdir "$CGROUP" 2>/dev/null && echo $((256 << 20)) >"$CGROUP/memory.limit_in_bytes" 2>/dev/null &&
      return 0
  elif [[ -n "$v2" && -f "/sys/fs/cgroup${v2%/}/cgroup.subtree_control" ]] &&
    grep -qw memory "/sys/fs/cgroup${v2%/}/cgroup.subtree_control"; then
    CGROUP="/sys/fs/cgroup${v2%/}/flakemorph-trace-test-$$"
    mkdir "$CGROUP" 2>/dev/null && echo $((256 << 20)) >"$CGROUP/memory.max" 2>/dev/null && return 0
  fi
  [[ -z "${CGROUP:-}" ]] || rmdir "$CGROUP" 2>/dev/null || true
  return 1
}

test_pages_beyond_a_memory_cgroup_are_refused() {
  CGROUP=
  if ! make_memory_cgroup; then
    echo "SKIP: no memory cgroup of our own can be made here"
    return
  fi
  trap 'rmdir "$CGROUP" 2>/dev/null; rm -rf "$WORK"' EXIT
  in_cgroup() { bash -c 'echo $$ >"$0/cgroup.procs" && exec "$@"' "$CGROUP" "$@"; }
  expect_failure "6000x6000 in 256 MiB" "under the limit of memory cgroup" \
    in_cgroup "$TRACE" --size 6000x6000 --frames 1 --clock 1
  in_cgroup "$TRACE" --size 100x100 --frames 3 --clock 1 --png "$WORK/small" ||
    fail "a small run in 256 MiB: status $?"
}

test_bad_random_input_ends_the_run() {
  stream 5 >"$WORK/short"
  expect_failure "short file" "$WORK/short: random stream exhausted after 5 draws" \
    "$TRACE" --frames 1 --random "$WORK/short"
  : >"$WORK/empty"
  expect_failure "empty file" "random stream exhausted after 0 draws" \
    "$TRACE" --frames 1 --random "$WORK/empty"
  { stream 2; printf '0.5x\n'; } >"$WORK/bad"
  expect_failure "bad line" "$WORK/bad:3: \"0.5x\" is not a plain decimal" \
    "$TRACE" --frames 1 --random "$WORK/bad"
  { stream 2; printf '0.%05000d\n' 5; stream 2; } >"$WORK/long"
  expect_failure "long line" "$WORK/long:3: a line longer than 4096 bytes" \
    "$TRACE" --frames 1 --random "$WORK/long"
  expect_failure "a line without end" "/dev/zero:1: a line longer than 4096 bytes" \
    "$TRACE" --frames 1 --random /dev/zero
}

# `yes` never ends: the run takes what it needs and is done (the timeout only keeps a run that
# reads on from holding up the tests).
test_endless_input_is_read_as_needed() {
  local status=0
  { yes 0.25 || true; } | timeout 60 "$TRACE" --frames 200 --random /dev/stdin --state \
    >"$WORK/state" || status=$?
  ((status == 0)) || fail "200 frames from yes: status $status"
  expect_shape "200 frames from yes" "$WORK/state" 0 1 200
}

test_pages_beyond_the_memory_are_refused
test_pages_beyond_a_memory_cgroup_are_refused
test_bad_random_input_ends_the_run
test_endless_input_is_read_as_needed
echo "PASS"
