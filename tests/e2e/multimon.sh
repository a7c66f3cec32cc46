# shellcheck shell=bash
# A private, headless Xorg with several monitors, for the end-to-end tests (sourced after
# lib.sh). Xvfb always shows one monitor; Xorg with the dummy video driver gives each head a
# RandR output of its own, which RandR reports as a monitor with exactly the head's bounds.
# Needs Debian's xserver-xorg-core and xserver-xorg-video-dummy; no root, no device files.

XORG=/usr/lib/xorg/Xorg # the server itself; /usr/bin/Xorg is a wrapper that wants a console
DUMMY_DRIVER=/usr/lib/xorg/modules/drivers/dummy_drv.so
XORG_PID=""

# Writes to $1 an xorg.conf with one head per "WxH+X+Y" in $2, each with a 60 Hz mode, or a
# mode of HZ for "WxH+X+Y@HZ". Every size also has a 60 Hz mode, and sizes in $3 ("WxH ...")
# have one as well, for a test to switch a head to.
write_multimon_config() {
  local config=$1 heads=$2 more_sizes=${3:-} head n=0 modes="" monitors="" outputs="" seen=" "
  local width height x y hz wide=0 high=0 preferred size
  for size in $more_sizes; do
    [[ $size =~ ^([0-9]+)x([0-9]+)$ ]] || fail "bad size '$size'"
    seen+="$size "
    modes+=$(modeline "${BASH_REMATCH[1]}" "${BASH_REMATCH[2]}" 60 "$size")$'\n'
  done
  for head in $heads; do
    [[ $head =~ ^([0-9]+)x([0-9]+)\+([0-9]+)\+([0-9]+)(@([0-9]+))?$ ]] || fail "bad head '$head'"
    width=${BASH_REMATCH[1]} height=${BASH_REMATCH[2]} x=${BASH_REMATCH[3]} y=${BASH_REMATCH[4]}
    hz=${BASH_REMATCH[6]:-60}
    preferred="${width}x$height"
    if ((hz != 60)); then
      preferred="${width}x${height}_$hz"
      modes+=$(modeline "$width" "$height" "$hz" "$preferred")$'\n'
    fi
    ((x + width > wide)) && wide=$((x + width))
    ((y + height > high)) && high=$((y + height))
    if [[ $seen != *" ${width}x$height "* ]]; then
      seen+="${width}x$height "
      modes+=$(modeline "$width" "$height" 60 "${width}x$height")$'\n'
    fi
    outputs+="    Option \"Monitor-DUMMY$n\" \"head$n\""$'\n'
    monitors+="Section \"Monitor\"
    Identifier \"head$n\"
    HorizSync 5.0 - 1000.0
    VertRefresh 5.0 - 200.0
    Option \"PreferredMode\" \"$preferred\"
    Option \"Position\" \"$x $y\"
    Option \"Enable\" \"true\"
EndSection
"
    n=$((n + 1))
  done
  ((n >= 1 && n <= 16)) || fail "the dummy driver has 1 to 16 outputs, not $n"
  ((wide < 4096)) && wide=4096
  ((high < 2304)) && high=2304
  cat >"$config" <<EOF
Section "ServerFlags"
    Option "AutoAddGPU" "false"
    Option "AutoBindGPU" "false"
    Option "DontVTSwitch" "true"
EndSection

Section "Device"
    Identifier "dummy"
    Driver "dummy"
    VideoRam $((wide * high * 4 / 1024 + 1024))
    DacSpeed 2000
$outputs EndSection

Section "Monitor"
    Identifier "screen-monitor"
    HorizSync 5.0 - 1000.0
    VertRefresh 5.0 - 200.0
$modes EndSection

$monitors
Section "Screen"
    Identifier "screen"
    Device "dummy"
    Monitor "screen-monitor"
    DefaultDepth 24
    SubSection "Display"
        Depth 24
        Virtual $wide $high
    EndSubSection
EndSection

Section "ServerLayout"
    Identifier "layout"
    Screen "screen"
EndSection
EOF
}

# A mode line named $4 of $1 x $2 pixels at $3 Hz, with ordinary blanking: blanking of exactly
# 160/80/32 pixels would count as reduced blanking, which the server rejects for these monitors.
modeline() {
  awk -v w="$1" -v h="$2" -v hz="$3" -v name="$4" 'BEGIN {
    htotal = w + 320; vtotal = h + 38
    printf "    Modeline \"%s\" %.3f %d %d %d %d %d %d %d %d -hsync -vsync\n",
      name, htotal * vtotal * hz / 1e6, w, w + 24, w + 160, htotal, h, h + 3, h + 9, vtotal
  }'
}

# Starts the server with the heads "WxH+X+Y[@HZ] ..." of $1 (and modes of the sizes "WxH ..." of
# $2 to switch to) and exports its DISPLAY.
start_multimon_x() {
  local heads=$1 more_sizes=${2:-}
  [[ -x $XORG ]] || fail "$XORG is missing (Debian package xserver-xorg-core)"
  [[ -e $DUMMY_DRIVER ]] || fail "the dummy video driver is missing (xserver-xorg-video-dummy)"
  require_tools xdotool "$CONVERT" "$IMPORT"
  write_multimon_config "$WORK/xorg.conf" "$heads" "$more_sizes"
  # A configuration folder of our own instead of the machine's; Xorg wants a file in it.
  mkdir -p "$WORK/xorg.conf.d"
  echo "# nothing" >"$WORK/xorg.conf.d/00-none.conf"
  "$XORG" -displayfd 3 -config "$WORK/xorg.conf" -configdir "$WORK/xorg.conf.d" -noreset \
    -nolisten tcp -logfile "$WORK/xorg.log" 3>"$WORK/display" </dev/null >"$WORK/xorg.out" 2>&1 &
  XORG_PID=$!
  wait_for_first_line "$XORG_PID" "$WORK/display" Xorg 20 "$WORK/xorg.out"
  DISPLAY=":$(head -n 1 "$WORK/display")"
  export DISPLAY
  trap 'stop_multimon_x; cleanup' EXIT
}

# Xorg is asked to end, so that it removes its socket and lock file, and killed if it does not.
stop_multimon_x() {
  [[ $BASHPID == "$MAIN_SHELL" && -n "$XORG_PID" ]] || return 0
  if [[ -n "$APP_PID" ]]; then
    kill -KILL "$APP_PID" 2>/dev/null || true
    wait "$APP_PID" 2>/dev/null || true
    APP_PID=""
  fi
  kill -TERM "$XORG_PID" 2>/dev/null || true
  local _
  for _ in $(seq 50); do
    kill -0 "$XORG_PID" 2>/dev/null || break
    sleep 0.1
  done
  kill -KILL "$XORG_PID" 2>/dev/null || true
  wait "$XORG_PID" 2>/dev/null || true
  XORG_PID=""
}
