# shellcheck shell=bash disable=SC2034 # sourced by the daemon tests, which use these names
# For the tests with the real screen-saver daemons. They need root: the daemons run as an
# ordinary user of the test's own (XScreenSaver will not start a saver as root), and only the
# program under test may ever run as a saver, so every stock saver the packages ship is hidden
# behind a logger by bind mounts in a private mount namespace, seen by this test alone.
# Source this first, before lib.sh: it runs the test again inside that namespace.
SKIP_STATUS=77
if [[ $(id -u) -ne 0 ]]; then
  echo "skipped: the daemon tests run as root (they create a user and bind-mount over files)"
  exit "$SKIP_STATUS"
fi
if [[ -z "${FLAKEMORPH_IN_SAVER_NAMESPACE:-}" ]]; then
  exec env FLAKEMORPH_IN_SAVER_NAMESPACE=1 unshare -m --propagation private bash "$0" "$@"
fi

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
source "$(dirname "${BASH_SOURCE[0]}")/foreign_lib.sh"

SAVER_USER=flakesaver
SAVER_HOME=""
SAVER_BIN=""
SAVER_RUN=""
STOCK_SAVERS=/usr/libexec/xscreensaver
BLOCKED_LOG=""
SAVER_PID=""
TRACE_PID=""

# Creates the saver user if it is not there yet; sets SAVER_HOME and AS_SAVER_USER. Call it
# once DISPLAY is set.
make_saver_user() {
  id "$SAVER_USER" >/dev/null 2>&1 || useradd -m -s /bin/bash "$SAVER_USER" ||
    fail "cannot create the user $SAVER_USER"
  SAVER_HOME=$(getent passwd "$SAVER_USER" | cut -d: -f6)
  [[ -d "$SAVER_HOME" ]] || fail "$SAVER_USER has no home folder"
  # An array, not a function, so that `"${AS_SAVER_USER[@]}" daemon &` gives runuser's pid.
  AS_SAVER_USER=(runuser -u "$SAVER_USER" -- env -i HOME="$SAVER_HOME" USER="$SAVER_USER"
    LOGNAME="$SAVER_USER" SHELL=/bin/bash DISPLAY="$DISPLAY" PATH=/usr/local/bin:/usr/bin:/bin
    LANG=C.UTF-8)
}

# The build may sit where the saver user cannot reach (CI clones under /root): a copy of the
# program where it can. An installed program is named as a user names it, without a path.
# SAVER_RUN is a folder that user may write to.
copy_program_for_saver_user() {
  chmod 755 "$WORK"
  if [[ -n "${FLAKEMORPH_INSTALLED:-}" ]]; then
    SAVER_BIN=flakemorph
  else
    mkdir -p "$WORK/bin"
    cp "$FLAKEMORPH" "$WORK/bin/flakemorph"
    chmod 755 "$WORK/bin" "$WORK/bin/flakemorph"
    SAVER_BIN="$WORK/bin/flakemorph"
  fi
  SAVER_RUN="$WORK/run"
  mkdir -p "$SAVER_RUN"
  chown "$SAVER_USER:" "$SAVER_RUN"
  runuser -u "$SAVER_USER" -- test -x "$FLAKEMORPH" || fail "$SAVER_USER cannot run $FLAKEMORPH"
}

# Hides every stock saver behind a script that logs its use to BLOCKED_LOG and fails: those of
# STOCK_SAVERS and of any folder given. An installed flakemorph among them stays.
block_stock_savers() {
  BLOCKED_LOG="$WORK/blocked.log"
  : >"$BLOCKED_LOG"
  chmod 666 "$BLOCKED_LOG"
  cat >"$WORK/blocked-saver" <<BLOCKER
#!/bin/sh
echo "stock saver \$0 \$*" >>"$BLOCKED_LOG"
exit 1
BLOCKER
  chmod 755 "$WORK/blocked-saver"
  local folder saver count=0
  for folder in "$STOCK_SAVERS" "$@"; do
    for saver in "$folder"/*; do
      [[ "$(basename "$saver")" == xscreensaver-* || "$(basename "$saver")" == flakemorph ]] &&
        continue
      [[ -f "$saver" ]] || continue
      mount --bind "$WORK/blocked-saver" "$saver" || fail "cannot hide $saver"
      count=$((count + 1))
    done
  done
  ((count > 0)) || fail "found no stock savers in $STOCK_SAVERS to hide"
  echo "hid $count stock savers"
}

# Runs a command as the saver user with a clean, explicit environment.
as_saver_user() {
  "${AS_SAVER_USER[@]}" "$@"
}

# Waits at most $1 seconds for the program under test to run as the saver user on this test's
# display (other tests may run savers on theirs); sets SAVER_PID and starts watching it with
# strace, which logs every signal it gets and how it ends.
find_saver() {
  local deadline=$(($(now_ms) + $1 * 1000)) pid display
  SAVER_PID=""
  until [[ -n "$SAVER_PID" ]]; do
    for pid in $(pgrep -u "$SAVER_USER" -x flakemorph || true); do
      # It may have ended since.
      display=$({ tr '\0' '\n' <"/proc/$pid/environ"; } 2>/dev/null | sed -n 's/^DISPLAY=//p') || true
      [[ "${display%.0}" == "${DISPLAY%.0}" ]] && SAVER_PID=$pid && break
    done
    [[ -n "$SAVER_PID" ]] && break
    (($(now_ms) < deadline)) || fail "flakemorph did not start within $1 s"
    sleep 0.02
  done
  strace -ttt -e trace=none -p "$SAVER_PID" -o "$WORK/saver.trace" 2>/dev/null &
  TRACE_PID=$!
  OTHER_PIDS+=("$TRACE_PID")
}

# What the daemon handed to the saver: its argv (one per line) and environment.
saver_argv() { tr '\0' '\n' <"/proc/$SAVER_PID/cmdline"; }
saver_env() { tr '\0' '\n' <"/proc/$SAVER_PID/environ" | grep -x "$1=.*" | cut -d= -f2-; }

# Reads the saver's argv into SAVER_ARGV and its XSCREENSAVER_WINDOW into SAVER_WINDOW, and
# prints them with its DISPLAY and user.
read_saver() {
  mapfile -t SAVER_ARGV < <(saver_argv)
  SAVER_WINDOW=$(saver_env XSCREENSAVER_WINDOW)
  echo "argv: ${SAVER_ARGV[*]}"
  echo "XSCREENSAVER_WINDOW=$SAVER_WINDOW DISPLAY=$(saver_env DISPLAY)" \
    "uid=$(stat -c %U "/proc/$SAVER_PID")"
}

# Waits at most $1 seconds for the saver to end; prints the trace's lines (signals, exit).
wait_for_saver_end() {
  local deadline=$(($(now_ms) + $1 * 1000))
  while kill -0 "$SAVER_PID" 2>/dev/null; do
    (($(now_ms) < deadline)) || fail "flakemorph still running $1 s later"
    sleep 0.02
  done
  wait "$TRACE_PID" 2>/dev/null || true
  TRACE_PID=""
  cat "$WORK/saver.trace"
}

# Epoch seconds of the first trace line that contains $1.
trace_time() { grep -m 1 -F -e "$1" "$WORK/saver.trace" | cut -d' ' -f1; }

# Milliseconds from $1 (a now_ms reading) to $2 (epoch seconds with a fraction).
milliseconds_between() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.0f", b * 1000 - a }'; }

# A share of the screen that is not black, from a fresh screenshot.
screen_non_black_share() {
  screenshot "$WORK/$1.png"
  non_black_share "$WORK/$1.png"
}

# After a second of drawing, the screen ($1: blanked, locked) must show circles on black: some
# of it drawn, far from all. Sets SCREEN_SHARE.
expect_circles_on_screen() {
  sleep 1
  SCREEN_SHARE=$(screen_non_black_share "$1")
  awk -v s="$SCREEN_SHARE" 'BEGIN { exit !(s > 0.005 && s < 0.6) }' ||
    fail "the $1 screen has a non-black share of $SCREEN_SHARE: no circles, or not $1"
}

# The daemons' own processes (not their runuser parents), ended before lib.sh's cleanup.
DAEMON_PIDS=()
stop_daemons() {
  local pid
  for pid in "${DAEMON_PIDS[@]}"; do kill -TERM "$pid" 2>/dev/null || true; done
  sleep 0.2
  for pid in "${DAEMON_PIDS[@]}"; do kill -KILL "$pid" 2>/dev/null || true; done
  DAEMON_PIDS=()
}
trap 'stop_daemons; cleanup' EXIT

# The pid of the process named $2 that runuser $1 runs, once there.
child_named() {
  local child="" deadline=$(($(now_ms) + 5000))
  until [[ -n "$child" ]]; do
    child=$(pgrep -P "$1" -x "$2" | head -n 1 || true)
    [[ -n "$child" ]] && break
    (($(now_ms) < deadline)) || fail "no $2 under runuser $1"
    sleep 0.02
  done
  echo "$child"
}
