# shellcheck shell=bash disable=SC2034 # sourced by the Wayland tests, which use these names
# For the tests under a real Wayland compositor: a headless sway of their own (no GPU: its
# software renderer; no input devices but the virtual ones the tests make), with a private
# runtime folder. sway will not run as root, so as root it runs as a test user of its own,
# whose socket root may still use; flakemorph, grim and wtype run as the caller.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/headless-sway.sh"

VIRTUAL_POINTER="$BUILD_DIR/virtual-pointer"
SWAY_USER=flakewayland
SWAY_PID=""
SWAY_DIR=""

# Folder $1 for a compositor, with its private runtime folder $1/runtime, and COMPOSITOR_AS, the
# prefix that runs a command as the compositor's user: as root a test user of its own (sway
# will not run as root; the others run alike), who then owns the runtime folder and the further
# folders given, made here too.
prepare_compositor() {
  COMPOSITOR_DIR=$1
  shift
  mkdir -p "$COMPOSITOR_DIR/runtime" "$@"
  chmod 755 "$WORK" "$COMPOSITOR_DIR"
  chmod 700 "$COMPOSITOR_DIR/runtime"
  COMPOSITOR_AS=()
  if [[ $(id -u) == 0 ]]; then
    id "$SWAY_USER" >/dev/null 2>&1 || useradd -m -s /bin/bash "$SWAY_USER" ||
      fail "cannot create the user $SWAY_USER"
    chown -R "$SWAY_USER:" "$COMPOSITOR_DIR/runtime" "$@"
    COMPOSITOR_AS=(setpriv --reuid="$SWAY_USER" --regid="$SWAY_USER" --init-groups)
  fi
}

# Runs "$@" (environment assignments, then the compositor's command) in the background as the
# compositor's user, in an environment of its own whose runtime folder is the prepared one, its
# output into the file $1 of its folder; sets COMPOSITOR_PID and COMPOSITOR_LOG.
run_compositor() {
  COMPOSITOR_LOG="$COMPOSITOR_DIR/$1"
  shift
  "${COMPOSITOR_AS[@]}" env -i PATH=/usr/bin:/bin XDG_RUNTIME_DIR="$COMPOSITOR_DIR/runtime" "$@" \
    >"$COMPOSITOR_LOG" 2>&1 &
  COMPOSITOR_PID=$!
  OTHER_PIDS+=("$COMPOSITOR_PID")
}

# Waits up to $3 seconds for the compositor $1 (its name in messages) to open its socket $2 in
# the runtime folder, then $4 seconds more for it to settle; exports XDG_RUNTIME_DIR and
# WAYLAND_DISPLAY for it. A compositor that ends or has no socket in time skips the test where
# $5 is "skip", else fails it.
await_compositor() {
  local name=$1 socket=$2 limit=$3 settle=$4 missing=${5:-fail}
  local deadline=$(($(now_ms) + limit * 1000)) why=""
  until [[ -S "$COMPOSITOR_DIR/runtime/$socket" ]]; do
    kill -0 "$COMPOSITOR_PID" 2>/dev/null ||
      why="$name did not start: $(tail -n 5 "$COMPOSITOR_LOG")"
    [[ -n "$why" ]] || (($(now_ms) < deadline)) || why="$name had no socket within $limit s"
    if [[ -n "$why" ]]; then
      [[ "$missing" != skip ]] || { echo "skipped: $why"; exit 77; }
      fail "$why"
    fi
    sleep 0.05
  done
  sleep "$settle"
  export XDG_RUNTIME_DIR="$COMPOSITOR_DIR/runtime" WAYLAND_DISPLAY=$socket
  unset SWAYSOCK
}

# Starts sway with one output of $1 x $2 at scale ${3:-1}; exports WAYLAND_DISPLAY,
# XDG_RUNTIME_DIR and SWAYSOCK once its output is on. $4 (optional) is more configuration.
start_sway() {
  local width=$1 height=$2 scale=${3:-1} extra=${4:-}
  require_tools sway swaymsg grim wtype "$CONVERT" "$VIRTUAL_POINTER"
  SWAY_DIR="$WORK/sway"
  prepare_compositor "$SWAY_DIR"
  cat >"$SWAY_DIR/config" <<CONFIG
xwayland disable
output HEADLESS-1 resolution ${width}x${height} position 0 0 scale $scale
default_border none
default_floating_border none
focus_follows_mouse no
seat seat0 fallback true
$extra
CONFIG
  chmod 644 "$SWAY_DIR/config"
  run_compositor sway.log HOME="$SWAY_DIR" WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 \
    WLR_RENDERER=pixman sway -c "$SWAY_DIR/config"
  SWAY_PID=$COMPOSITOR_PID
  export XDG_RUNTIME_DIR="$SWAY_DIR/runtime"
  unset WAYLAND_DISPLAY SWAYSOCK DISPLAY
  local deadline=$(($(now_ms) + 15000))
  until [[ -n "${WAYLAND_DISPLAY:-}" && -n "${SWAYSOCK:-}" ]] &&
    swaymsg -t get_outputs -r 2>/dev/null | grep -q '"active": true'; do
    kill -0 "$SWAY_PID" 2>/dev/null || fail "sway ended at start: $(tail -n 5 "$SWAY_DIR/sway.log")"
    (($(now_ms) < deadline)) || fail "sway had no output within 15 s"
    take_sway_sockets
    sleep 0.05
  done
}

stop_sway() {
  swaymsg exit >/dev/null 2>&1 || true
  wait "$SWAY_PID" 2>/dev/null || true
  SWAY_PID=""
}

# Adds output HEADLESS-$1 of $2 x $3 right of the others, at x = $4.
add_output() {
  swaymsg create_output >/dev/null || fail "sway made no new output"
  swaymsg output "HEADLESS-$1" resolution "$2x$3" position "$4" 0 >/dev/null ||
    fail "cannot place output HEADLESS-$1"
}

# flakemorph on Wayland, with FLAKEMORPH_STATS on, so that it says what it opened, and with
# any environment assignments given. Its output files are emptied first, so that nothing the
# one before said is taken for what this one says.
start_wayland_flakemorph() {
  : >"$WORK/app.out"
  : >"$WORK/app.err"
  start_flakemorph FLAKEMORPH_STATS=1 "$@"
}

# Waits up to $2 seconds for a line matching the pattern $1 on flakemorph's stderr.
wait_for_said() {
  local pattern=$1 limit=$2
  local deadline=$(($(now_ms) + limit * 1000))
  until grep -q -e "$pattern" "$WORK/app.err"; do
    [[ -z "$APP_PID" ]] || kill -0 "$APP_PID" 2>/dev/null || fail "flakemorph ended early"
    (($(now_ms) < deadline)) || fail "flakemorph did not say '$pattern' within $limit s"
    sleep 0.05
  done
}

# Picture of output $1 (HEADLESS-N) into $2.
grab() {
  timeout 10 grim -o "$1" "$2" || fail "grim could not take a picture of $1"
}

# How many pixels of a picture are neither black nor the compositor's own grey background.
lit_pixels() {
  "$CONVERT" "$1" -precision 16 -alpha off -fill black -opaque 'rgb(63,63,63)' -fill white +opaque black \
    -format '%[fx:round(mean*w*h)]' info:
}

# How many pixels are the compositor's grey: stale parts of what lies beneath a surface.
grey_pixels() {
  "$CONVERT" "$1" -precision 16 -alpha off -fill black +opaque 'rgb(63,63,63)' -fill white -opaque 'rgb(63,63,63)' \
    -format '%[fx:round(mean*w*h)]' info:
}

# Whether output $1 shows the animation in picture $2: enough lit pixels and no grey.
expect_circles() {
  local lit grey
  lit=$(lit_pixels "$2")
  grey=$(grey_pixels "$2")
  ((lit > 2000)) || fail "$1: only $lit pixels lit"
  ((grey == 0)) || fail "$1: $grey pixels of the compositor's background show"
  pass "$1: circles ($lit pixels lit), none of the compositor's background"
}

# The CPU ticks process $1 has used.
cpu_ticks() {
  awk '{print $14 + $15}' "/proc/$1/stat"
}
