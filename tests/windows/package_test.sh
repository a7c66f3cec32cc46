#!/usr/bin/env bash
# The Windows archive holds exactly the saver, the trace tool, README.txt and LICENSE, the texts
# with Windows' line ends; the programs need no DLL beyond those every Windows has (the
# compiler's runtime is linked in), and the saver declares itself aware of every monitor's
# scaling and names itself for the Screen Saver settings' list; both carry the flake's icon at
# four sizes and a version resource with the project's version.
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
readme=$(tr -d '\r' <"$WORK/README.txt" | tr '\n' ' ' | sed 's/  */ /g')
for part in '-setup.exe /S' 'copy flakemorph.scr into C:\Windows\System32' \
  'only records where the file is' 'uninstall.exe" /S' 'HKEY_CURRENT_USER\Software\flakemorph'; do
  [[ "$readme" == *"$part"* ]] || fail "README.txt says nothing of $part"
done

# Every Windows 10 and 11 has these.
system_dlls='^(kernel32|user32|gdi32|advapi32|comctl32|winmm|msvcrt|shell32|ole32)\.dll$'
for program in flakemorph.scr flakemorph-trace.exe; do
  while read -r dll; do
    [[ "${dll,,}" =~ $system_dlls ]] || fail "$program needs $dll"
  done < <(x86_64-w64-mingw32-objdump -p "$WORK/$program" | awk '/DLL Name:/ { print $3 }')
done
grep -q 'PerMonitorV2' "$WORK/flakemorph.scr" || fail "no per-monitor DPI awareness in the manifest"

# The strings of a resource, UTF-16 as Windows keeps them, one a line.
resource_strings() {
  wrestool -x --raw --type="$2" "$WORK/$1" | iconv -f UTF-16LE -t UTF-8 2>/dev/null |
    tr -c '[:print:]' '\n' | grep -v '^$' || true
}
version=$(basename "${zips[0]}" | sed 's/^flakemorph-\(.*\)-windows-x64\.zip$/\1/')
[[ "$(resource_strings flakemorph.scr 6)" == Flakemorph ]] ||
  fail "the Screen Saver list's name (string 1): $(resource_strings flakemorph.scr 6)"
for program in flakemorph.scr flakemorph-trace.exe; do
  strings=$(resource_strings "$program" 16 | tr '\n' '|')
  for field in "FileVersion|$version|" "ProductVersion|$version|" "OriginalFilename|$program|" \
    "ProductName|flakemorph|" "LegalCopyright|Copyright (c) 2026 the flakemorph authors"; do
    [[ "$strings" == *"$field"* ]] || fail "$program: no $field in its version: $strings"
  done
  [[ "$strings" =~ FileDescription\|[^|]{8,}\| ]] || fail "$program: no description"
  # The numbers Properties shows: after the signature, minor and major, then 0 and patch, in
  # 16-bit words, lowest byte first.
  numbers=$(wrestool -x --raw --type=16 "$WORK/$program" | od -A n -t x1 -v | tr -d ' \n' |
    sed -n 's/.*bd04effe00000100\(.\{16\}\).*/\1/p')
  IFS=. read -r major minor patch <<<"$version"
  [[ "$numbers" == "$(printf '%02x00%02x000000%02x00' "$minor" "$major" "$patch")" ]] ||
    fail "$program: the file version's numbers are $numbers"
  wrestool -x --type=14 "$WORK/$program" >"$WORK/icon.ico" || fail "$program has no icon"
  sizes=$(icotool -l "$WORK/icon.ico" | sed 's/.*--width=\([0-9]*\).*/\1/' | sort -n | tr '\n' ' ')
  [[ "$sizes" == "16 32 48 256 " ]] || fail "$program: icons of $sizes"
done
# The largest picture is a flake: circles on black, neither empty nor filled.
icotool -x --index=1 -o "$WORK/flake.png" "$WORK/icon.ico"
lit=$(/usr/bin/convert "$WORK/flake.png" -alpha off -threshold 10% -format '%[fx:mean]' info:)
awk -v s="$lit" 'BEGIN { exit !(s > 0.02 && s < 0.5) }' || fail "the icon: $lit of it lit"
# The winget manifests name the installer as it is, its kind and its silent switch.
manifest="$BUILD_DIR/winget/flakemorph.installer.yaml"
setup=$(ls "$BUILD_DIR"/flakemorph-*-setup.exe)
hash=$(sha256sum "$setup" | awk '{ print toupper($1) }')
grep -qx "    InstallerSha256: $hash" "$manifest" || fail "the manifest's hash is not the installer's"
grep -qx 'InstallerType: nullsoft' "$manifest" && grep -qx '  Silent: /S' "$manifest" ||
  fail "the manifest's installer type or silent switch"
grep -q "/$(basename "$setup")$" "$manifest" || fail "the manifest names another installer"
for file in "$BUILD_DIR"/winget/*.yaml; do
  grep -qx 'ManifestVersion: 1.6.0' "$file" && grep -q 'schema.*1\.6\.0\.schema\.json' "$file" ||
    fail "$(basename "$file"): no schema version"
done
echo "PASS: $names"
