#!/usr/bin/env bash
# Runs the tests of the Windows build (cross-built with cmake/mingw-w64-x86_64.cmake) under
# Wine, in a Wine prefix of the build's own. Wine's server is started once and kept for the
# whole run, and one Wine process runs alone before the others: several processes started on a
# cold server now and then hang, and a test that meets a server shutting down fails.
# Usage: scripts/wine-tests.sh BUILD_DIR [CTEST_ARGUMENTS...]
set -euo pipefail
build=$(realpath "${1:?usage: wine-tests.sh BUILD_DIR [CTEST_ARGUMENTS...]}")
shift
export WINEPREFIX="$build/wine" WINEDEBUG=-all WINEARCH=win64
# No offers to install Mono or Gecko: nothing here needs them.
export WINEDLLOVERRIDES="mscoree,mshtml="
# The unit tests open no window; the end-to-end tests start X servers of their own.
unset DISPLAY WAYLAND_DISPLAY

if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
  start=$(date +%s)
  wineboot --init >/dev/null 2>&1
  wineserver -w  # the server wineboot started, gone after its few idle seconds
  echo "wine-tests: made the Wine prefix $WINEPREFIX in $(($(date +%s) - start)) s"
fi
wineserver -p 2>/dev/null || true  # already running: kept as it is
trap 'wineserver -k 2>/dev/null || true' EXIT
wine "$build/flakemorph-trace.exe" --help >/dev/null
# First the tests without a window, on this server; then those of the windows (label gui),
# one at a time, each on an X server and a Wine server of its own.
status=0
ctest --test-dir "$build" --output-on-failure --timeout 120 --repeat until-pass:2 -LE gui "$@" ||
  status=$?
wineserver -k 2>/dev/null || true
wineserver -w
ctest --test-dir "$build" --output-on-failure --timeout 180 -L gui "$@" || status=$?
exit $status
