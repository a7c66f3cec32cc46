#!/usr/bin/env bash
# The Windows archive holds exactly the saver, the trace tool, README.txt and LICENSE, the texts
# with Windows' line ends; the programs need no DLL beyond those every Windows has (the
# compiler's runtime is linked in), and the saver declares itself aware of every monitor's
# scaling and names itself for the Screen Saver settings' list.
set -euo pipefail
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

zips=("$BUILD_DIR"/flakemorph-*-windows-x64.zip)
((${#zips[@]} == 1)) && [[ -s "${zips[0]}" ]] || fail "no single archive: ${zips[*]}"
names=$(cmake -E tar tf "${zips[0]}" | sort | tr '\n' ' ')
[[ "$names" == "LICENSE README.txt flakemorph-trace.exe flakemorph.scr " ]] ||
  fail "the archive holds: $names"
(cd "$WORK" && cmake -E tar xf "${zips[0]}")
cmp -s "$WORK/flakemorph.scr" "$BUILD_DIR/flakemorph.scr" || fail "an old flakemorph.scr"
for text in README.txt LICENSE; do
  lines=$(wc -l <"$WORK/$text")
  crlf=$(grep -c $'\r$' "$WORK/$text" || true)
  ((lines > 10 && crlf == lines)) || fail "$text: $crlf of $lines lines end in CR LF"
done
grep -q 'right-click flakemorph.scr and choose "Install"' <(tr -d '\r' <"$WORK/README.txt" |
  tr '\n' ' ' | sed 's/  */ /g; s/Right-click/right-click/') || fail "README.txt says not how to install"

# Every Windows 10 and 11 has these.
system_dlls='^(kernel32|user32|gdi32|advapi32|comctl32|winmm|msvcrt|shell32|ole32)\.dll$'
for program in flakemorph.scr flakemorph-trace.exe; do
  while read -r dll; do
    [[ "${dll,,}" =~ $system_dlls ]] || fail "$program needs $dll"
  done < <(x86_64-w64-mingw32-objdump -p "$WORK/$program" | awk '/DLL Name:/ { print $3 }')
done
grep -q 'PerMonitorV2' "$WORK/flakemorph.scr" || fail "no per-monitor DPI awareness in the manifest"
echo "PASS: $names"
