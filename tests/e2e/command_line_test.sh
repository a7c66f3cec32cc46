#!/usr/bin/env bash
# The command line: --help and --version answer without opening a window, anything else is a
# usage error, and with no display flakemorph says so and ends with status 1.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
SOURCE_DIR=${SOURCE_DIR:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}
require_tools

# Runs flakemorph without a display, with the given arguments; sets STATUS, OUT and ERR.
run_without_display() {
  STATUS=0
  env -u DISPLAY timeout 20 "$FLAKEMORPH" "$@" >"$WORK/out" 2>"$WORK/err" || STATUS=$?
  OUT=$(cat "$WORK/out")
  ERR=$(cat "$WORK/err")
}

run_without_display --help
[[ $STATUS == 0 ]] || fail "--help: status $STATUS"
[[ "$OUT" == *"Usage: flakemorph"* && "$OUT" == *"a key, a click or closing the window ends it"* ]] ||
  fail "--help printed: $OUT"
[[ -z "$ERR" ]] || fail "--help wrote to stderr: $ERR"
pass "--help"

version=$(sed -n 's/^project(flakemorph VERSION \([0-9.]*\).*/\1/p' "$SOURCE_DIR/CMakeLists.txt")
[[ -n "$version" ]] || fail "no version found in $SOURCE_DIR/CMakeLists.txt"
run_without_display --version
[[ $STATUS == 0 && "$OUT" == "flakemorph $version" && -z "$ERR" ]] ||
  fail "--version: status $STATUS, printed '$OUT' '$ERR'; expected 'flakemorph $version'"
pass "--version"

# A help or version that cannot be written is a failure, said on stderr.
for option in --help --version; do
  STATUS=0
  "$FLAKEMORPH" "$option" >/dev/full 2>"$WORK/err" || STATUS=$?
  [[ $STATUS == 1 && "$(cat "$WORK/err")" == "flakemorph: cannot write the ${option#--}: "?* ]] ||
    fail "$option into a full disk: status $STATUS, said: $(cat "$WORK/err")"
  STATUS=0
  "$FLAKEMORPH" "$option" >&- 2>"$WORK/err" || STATUS=$?
  [[ $STATUS == 1 && "$(cat "$WORK/err")" == *"standard output is closed" ]] ||
    fail "$option with stdout closed: status $STATUS, said: $(cat "$WORK/err")"
  pass "$option that cannot be written: status 1, $(cat "$WORK/err")"
done

for arguments in "--bogus" "-h" "extra" "extra --help" "--rate" "--rate 0" "--window-id junk" \
  "--window --root" "--geometry" "--geometry 640" "--geometry 0x400" "--geometry 640x0" "--geometry 16385x100" "--geometry 640x400x3" \
  "--rate 241" "--fps=1"; do
  # shellcheck disable=SC2086 # each case is a list of words
  run_without_display $arguments
  [[ $STATUS == 2 ]] || fail "'$arguments': status $STATUS, expected 2"
  [[ -z "$OUT" ]] || fail "'$arguments' wrote to stdout: $OUT"
  [[ "$ERR" == "flakemorph: "*"Usage: flakemorph"* ]] || fail "'$arguments' printed: $ERR"
  pass "'$arguments' is a usage error"
done

# Without XDG_RUNTIME_DIR a Wayland library, if tried, would complain first: only our line shows.
run_without_display_or_runtime_dir() {
  STATUS=0
  env -u DISPLAY -u XDG_RUNTIME_DIR timeout 20 "$FLAKEMORPH" "$@" >"$WORK/out" 2>"$WORK/err" ||
    STATUS=$?
  ERR=$(cat "$WORK/err")
}
run_without_display_or_runtime_dir
[[ $STATUS == 1 ]] || fail "without a display: status $STATUS, expected 1"
[[ "$ERR" == "flakemorph: cannot open a window: no display found (DISPLAY is not set)" ]] ||
  fail "without a display it printed: $ERR"
pass "without a display: $ERR"
run_without_display_or_runtime_dir --root
[[ $STATUS == 1 && "$ERR" == "flakemorph: no display found (DISPLAY is not set)" ]] ||
  fail "--root without a display: status $STATUS, printed: $ERR"
pass "--root without a display: $ERR"

if [[ ! -e /tmp/.X11-unix/X31999 ]]; then
  STATUS=0
  DISPLAY=:31999 timeout 20 "$FLAKEMORPH" >"$WORK/out" 2>"$WORK/err" || STATUS=$?
  message=$(cat "$WORK/err")
  [[ $STATUS == 1 && "$message" == 'flakemorph: cannot open a window: cannot reach the display ":31999"' ]] ||
    fail "with an unreachable display: status $STATUS, printed: $(cat "$WORK/err")"
  pass "with an unreachable display: $message"
fi
