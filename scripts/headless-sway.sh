# shellcheck shell=bash # sourced by the Wayland measurements
# A headless sway of its own for a measurement: software rendering with pixman, as on a machine
# without a GPU, no input devices, a private runtime folder. sway will not run as root: as root
# it runs as the user flakewayland, made if missing, whose socket root may still use.

# Exports WAYLAND_DISPLAY and SWAYSOCK for the sockets a sway has made in $XDG_RUNTIME_DIR so far.
take_sway_sockets() {
  local socket
  for socket in "$XDG_RUNTIME_DIR"/wayland-*; do
    [[ -S "$socket" ]] && export WAYLAND_DISPLAY=${socket##*/}
  done
  for socket in "$XDG_RUNTIME_DIR"/sway-ipc.*.sock; do
    [[ -S "$socket" ]] && export SWAYSOCK=$socket
  done
  return 0
}

# Starts sway with one output HEADLESS-1 of $1 (WIDTHxHEIGHT) at scale ${2:-1}, in a new folder
# $work that goes at exit, with sway; exports XDG_RUNTIME_DIR, WAYLAND_DISPLAY and SWAYSOCK
# once both its sockets are there, and sets sway_pid. Ends the script if sway does not start.
start_headless_sway() {
  local size=$1 scale=${2:-1} as=()
  work=$(mktemp -d)
  chmod 755 "$work"
  mkdir -m 700 "$work/runtime"
  sway_pid=""
  trap '[[ -z "$sway_pid" ]] || kill "$sway_pid" 2>/dev/null || true; rm -rf "$work"' EXIT
  cat >"$work/config" <<CONFIG
xwayland disable
output HEADLESS-1 resolution $size position 0 0 scale $scale
default_border none
seat seat0 fallback true
CONFIG
  chmod 644 "$work/config"
  if [[ $(id -u) == 0 ]]; then
    id flakewayland >/dev/null 2>&1 || useradd -m -s /bin/bash flakewayland
    chown flakewayland: "$work/runtime"
    as=(setpriv --reuid=flakewayland --regid=flakewayland --init-groups)
  fi
  "${as[@]}" env -i PATH=/usr/bin:/bin HOME="$work" XDG_RUNTIME_DIR="$work/runtime" \
    WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
    sway -c "$work/config" >"$work/sway.log" 2>&1 &
  sway_pid=$!
  # Never the caller's own compositor.
  export XDG_RUNTIME_DIR="$work/runtime"
  unset WAYLAND_DISPLAY SWAYSOCK
  for _ in $(seq 200); do
    take_sway_sockets
    [[ -n "${WAYLAND_DISPLAY:-}" && -n "${SWAYSOCK:-}" ]] && break
    sleep 0.05
  done
  [[ -n "${WAYLAND_DISPLAY:-}" && -n "${SWAYSOCK:-}" ]] ||
    { echo "sway did not start: $(cat "$work/sway.log")" >&2; exit 1; }
  sleep 0.5
}
