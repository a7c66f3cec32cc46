#!/usr/bin/env bash
# Started from Explorer or the Screen Saver settings, the saver has no console: what it has to
# say appears in a message box titled "flakemorph" as well as on stderr. A bad command line
# names the part that is wrong, in the words of Windows' switches, and ends with status 2 once
# the box is answered; /? and --help show the Windows help; a preview whose window is gone
# shows no box, which would outlive the settings.
# shellcheck source=tests/windows/gui/wine_lib.sh
source "$(dirname "$0")/wine_lib.sh"
start_xvfb
start_wine_server

# The box, found by its title; its text is Wine's static control, so what it says is read from
# stderr, which says the same.
answer_box() {
  local box
  box=$(timeout 30 xdotool search --sync --onlyvisible --name '^flakemorph$' 2>/dev/null |
    head -n 1) || true
  [[ -n "$box" ]] || fail "$1: no message box within 30 s"
  kill -0 "$APP_PID" 2>/dev/null || fail "$1: it ended before the box was answered"
  xdotool key --window "$box" Return 2>/dev/null
}

# "$1": what stderr must say; the rest: the arguments.
check_bad_command_line() {
  local expected=$1
  shift
  start_saver "$@"
  answer_box "$*"
  wait_for_exit 20
  [[ "$APP_STATUS" == 2 ]] || fail "$*: status $APP_STATUS"
  grep -qF "flakemorph: $expected" "$WORK/app.err" || fail "$*: $(head -c 300 "$WORK/app.err")"
  grep -qF '/s (run it), /p HWND (its preview) or /c (its settings)' "$WORK/app.err" ||
    fail "$*: no word of the switches"
  ! grep -q 'unexpected argument\|--wallpaper\|Usage' "$WORK/app.err" || fail "$*: the Linux usage"
}

check_bad_command_line '/p needs the handle of the preview window' /p
check_bad_command_line '/p "0" names no window' /p 0
check_bad_command_line '/p "99999999999999999999" names no window' /p 99999999999999999999
check_bad_command_line '/s takes nothing after it, not "xxxxxxxxxx' /s "$(printf 'x%.0s' {1..2000})"
check_bad_command_line 'unknown switch "/x"' /x
check_bad_command_line '--root is not for Windows' --root
check_bad_command_line '--idle is not for Windows' --idle 60
check_bad_command_line 'unknown option "--frobnicate"' --frobnicate
pass "a bad command line: a message box naming what is wrong, then status 2"

for help in /? --help; do
  start_saver "$help"
  answer_box "$help"
  wait_for_exit 20
  [[ "$APP_STATUS" == 0 ]] || fail "$help: status $APP_STATUS"
  for part in '/p HWND' 'HKEY_CURRENT_USER\Software\flakemorph' PrimaryOnly --window; do
    grep -qF -- "$part" "$WORK/app.err" || fail "$help says nothing of $part"
  done
  ! grep -qi 'x11\|wayland\|--root\|--wallpaper' "$WORK/app.err" || fail "$help: Linux words"
done
pass "/? and --help show the Windows help, in a box and on stderr"

# No box for a preview with nothing to draw into: it ends at once.
start_saver /p 12345
wait_for_exit 20
[[ "$APP_STATUS" == 1 ]] || fail "/p with no such window: status $APP_STATUS"
grep -q 'no window 12345' "$WORK/app.err" || fail "/p with no such window: $(cat "$WORK/app.err")"
[[ -z "$(xdotool search --name '^flakemorph$' 2>/dev/null)" ]] || fail "/p left a box"
pass "/p with no such window says so on stderr alone, status 1"
echo PASS
