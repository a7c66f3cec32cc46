#!/usr/bin/env bash
# flakemorph-<version>-setup.exe /S installs without a question: flakemorph.scr in the system
# folder (with /CURRENT as the user's screen saver), the rest and an uninstaller in Program
# Files, an entry in Apps & features with name, version, publisher and size. /s runs from the
# installed file. The uninstaller, silent too, leaves none of its files and keys, nor the
# saver's settings, and no current screen saver pointing at a missing file.
# shellcheck source=tests/windows/gui/wine_lib.sh
source "$(dirname "$0")/wine_lib.sh"
setups=("$BUILD_DIR"/flakemorph-*-setup.exe)
[[ -f "${setups[0]}" ]] || fail "no installer in $BUILD_DIR"
version=$(basename "${setups[0]}" | sed 's/^flakemorph-\(.*\)-setup\.exe$/\1/')
start_xvfb
start_wine_server

system="$WINEPREFIX/drive_c/windows/system32"
folder="$WINEPREFIX/drive_c/Program Files/flakemorph"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\flakemorph'
desktop_key='HKCU\Control Panel\Desktop'
installed_files=("$system/flakemorph.scr" "$folder/uninstall.exe" "$folder/README.txt"
  "$folder/LICENSE" "$folder/flakemorph-trace.exe")

# A value under a key, as reg prints it, or nothing.
value_of() {
  wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' |
    awk -v name="$2" '$1 == name { $1 = ""; $2 = ""; sub(/^  */, ""); print }'
}

status=0
timeout 120 wine "${setups[0]}" /S /CURRENT >/dev/null 2>&1 || status=$?
((status == 0)) || fail "setup /S: status $status"
for file in "${installed_files[@]}"; do [[ -s "$file" ]] || fail "not installed: $file"; done
cmp -s "$system/flakemorph.scr" "$BUILD_DIR/flakemorph.scr" || fail "another flakemorph.scr"
[[ "$(value_of "$uninstall_key" DisplayName)" == "flakemorph screen saver" ]] || fail "no name"
[[ "$(value_of "$uninstall_key" DisplayVersion)" == "$version" ]] || fail "no version $version"
[[ "$(value_of "$uninstall_key" Publisher)" == "the flakemorph authors" ]] || fail "no publisher"
size=$(value_of "$uninstall_key" EstimatedSize)
(($(printf '%d' "$size") > 500)) || fail "estimated size $size KB"
[[ "$(value_of "$uninstall_key" QuietUninstallString)" == *'uninstall.exe" /S' ]] ||
  fail "no silent uninstall: $(value_of "$uninstall_key" QuietUninstallString)"
[[ "$(value_of "$desktop_key" SCRNSAVE.EXE)" == 'C:\windows\system32\flakemorph.scr' ]] ||
  fail "not the current screen saver: $(value_of "$desktop_key" SCRNSAVE.EXE)"
pass "setup /S /CURRENT: the files, the Apps & features entry ($size KB), the current saver"

SAVER='C:\windows\system32\flakemorph.scr'
FLAKEMORPH_STATS=1 start_saver /s
wait_until_drawing 2
xdotool key space
wait_for_exit 20
[[ "$APP_STATUS" == 0 ]] || fail "the installed /s: status $APP_STATUS"
pass "the installed flakemorph.scr /s draws, and a key ends it"

store_settings 30 1
# The uninstaller copies itself away and runs from there, so the files go after it returned.
wine "$folder/uninstall.exe" /S >/dev/null 2>&1 || fail "uninstall /S: status $?"
for _ in $(seq 150); do
  left=()
  for file in "${installed_files[@]}" "$folder"; do [[ -e "$file" ]] && left+=("$file"); done
  ((${#left[@]} == 0)) && break
  sleep 0.2
done
((${#left[@]} == 0)) || fail "left after uninstalling: ${left[*]}"
wine reg query "$uninstall_key" >/dev/null 2>&1 && fail "the Apps & features entry is left"
wine reg query "$SETTINGS_KEY" >/dev/null 2>&1 && fail "the settings are left"
[[ -z "$(value_of "$desktop_key" SCRNSAVE.EXE)" ]] || fail "the current saver is still flakemorph"
pass "uninstall /S: no file, key or setting left, no current saver of a missing file"
echo PASS
