#!/usr/bin/env bash
# `make install DESTDIR=... PREFIX=/usr` puts exactly the programs, their manual pages, the
# settings XML and the link for XScreenSaver, the MATE entry and the licence in place, and
# `make uninstall` takes exactly those away, with the folders install made; `cmake --install`
# puts the same. Install never builds, and says where XScreenSaver reads settings when the
# prefix is not /usr. The installed XML is valid, every argument its controls can give is one
# flakemorph takes, and the manual pages render without a warning and carry the version.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
SOURCE_DIR=${SOURCE_DIR:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}
require_tools make cmake xmllint groff man

expected="/usr/bin/flakemorph
/usr/bin/flakemorph-trace
/usr/libexec/xscreensaver/flakemorph
/usr/share/applications/screensavers/flakemorph.desktop
/usr/share/doc/flakemorph/changelog.gz
/usr/share/doc/flakemorph/copyright
/usr/share/man/man1/flakemorph-trace.1.gz
/usr/share/man/man6/flakemorph.6.gz
/usr/share/xscreensaver/config/flakemorph.xml"
# make install also notes which folders it made, for uninstall.
record=/usr/share/flakemorph/created-folders
version=$(sed -n 's/^project(flakemorph VERSION \([0-9.]*\).*/\1/p' "$SOURCE_DIR/CMakeLists.txt")
[[ -n "$version" ]] || fail "no version in $SOURCE_DIR/CMakeLists.txt"

# Folders under $1, as absolute paths below it.
folders_under() {
  (cd "$1" && find . -mindepth 1 -type d | sed 's/^\.//' | sort)
}

# Files and links under $1, as absolute paths below it.
installed_files() {
  (cd "$1" && find . \( -type f -o -type l \) | sed 's/^\.//' | sort)
}

# Run as root, as `sudo make install` is: with nothing built it builds nothing and says so.
mkdir -p "$WORK/unbuilt"
if make -s -C "$SOURCE_DIR" install BUILD="$WORK/unbuilt" DESTDIR="$WORK/nothing" PREFIX=/usr \
  >"$WORK/unbuilt.log" 2>&1; then
  fail "make install succeeded with nothing built"
fi
grep -q "run 'make' first" "$WORK/unbuilt.log" || fail "make install said: $(cat "$WORK/unbuilt.log")"
[[ -z "$(ls -A "$WORK/unbuilt")" && ! -e "$WORK/nothing" ]] ||
  fail "make install with nothing built wrote: $(ls -A "$WORK/unbuilt") $(ls -d "$WORK/nothing" 2>&1)"
echo "make install with nothing built: $(cat "$WORK/unbuilt.log")"
pass "make install with nothing built builds nothing, installs nothing and says to run make"

root="$WORK/root"
# Folders that were there before install, one of them empty: uninstall must leave them.
mkdir -p "$root/usr/bin" "$root/usr/share/man/man1"
touch "$root/usr/share/man/man1/other.1.gz"
before=$(folders_under "$root")
make -C "$SOURCE_DIR" install BUILD="$BUILD_DIR" DESTDIR="$root" PREFIX=/usr \
  >"$WORK/install.log" 2>&1 || fail "make install failed: $(tail -n 5 "$WORK/install.log")"
if grep -q -e 'Building' -e 'Linking' -e 'cmake --build' "$WORK/install.log"; then
  fail "make install built: $(grep -m 3 -e Building -e Linking -e 'cmake --build' "$WORK/install.log")"
fi
! grep -q 'XScreenSaver reads' "$WORK/install.log" || fail "the prefix /usr got the settings note"
rm "$root/usr/share/man/man1/other.1.gz"
[[ "$(installed_files "$root")" == "$(printf '%s\n' "$expected" "$record" | sort)" ]] ||
  fail "make install put in place:$(printf '\n%s' "$(installed_files "$root")")"
pass "make install puts exactly the nine files in place, without building"

desktop="$root/usr/share/applications/screensavers/flakemorph.desktop"
for line in '\[Desktop Entry\]' 'Type=Application' 'Name=Flakemorph' 'Comment=..*' \
  'TryExec=flakemorph' 'Exec=flakemorph --root' 'Categories=\(.*;\)\?Screensaver;.*'; do
  grep -qx -- "$line" "$desktop" || fail "the desktop entry lacks $line"
done
! grep -q '^OnlyShowIn' "$desktop" || fail "the desktop entry is shown only in some desktops"
copyright="$root/usr/share/doc/flakemorph/copyright"
grep -qx 'Copyright: [0-9]* the flakemorph authors' "$copyright" && grep -qx 'License: Expat' "$copyright" ||
  fail "the copyright file lacks its holder or licence"
grep -q "^ $(sed -n 5p "$SOURCE_DIR/LICENSE")\$" "$copyright" || fail "the copyright file lacks the licence text"
[[ "$(zcat "$root/usr/share/doc/flakemorph/changelog.gz" | sed -n 1p)" == "flakemorph ($version) "* ]] ||
  fail "the changelog does not begin with version $version"
pass "the MATE entry, the copyright file and the changelog of version $version are sound"

link="$root/usr/libexec/xscreensaver/flakemorph"
[[ -L "$link" && "$(readlink -f "$link")" == "$(readlink -f "$root/usr/bin/flakemorph")" ]] ||
  fail "libexec/xscreensaver/flakemorph is not a link to bin/flakemorph"
answer=$("$link" --version) || fail "the installed program does not run"
pass "the saver link runs the installed program: $answer"

xml="$root/usr/share/xscreensaver/config/flakemorph.xml"
xmllint --noout "$xml" || fail "xmllint rejects the installed XML"
[[ "$(xmllint --xpath 'string(/screensaver/@name)' "$xml")" == flakemorph &&
  -n "$(xmllint --xpath 'string(/screensaver/@_label)' "$xml")" &&
  "$(xmllint --xpath 'string(/screensaver/command/@arg)' "$xml")" == --root ]] ||
  fail "the XML lacks its name, label or --root command"
pass "xmllint accepts the XML; name, label and --root are there"

# Every argument the XML's controls can produce: the command's, each boolean's, each number's
# at its low, high and default values, each option of a select.
attribute_values() {
  local count i
  count=$(xmllint --xpath "count($1)" "$xml")
  for ((i = 1; i <= count; i++)); do
    xmllint --xpath "string(($1)[$i])" "$xml"
    echo
  done
}
produced=()
while IFS= read -r argument; do
  [[ -n "$argument" ]] && produced+=("$argument")
done < <(attribute_values '//command/@arg'; attribute_values '//boolean/@arg-set'
  attribute_values '//boolean/@arg-unset'; attribute_values '//option/@arg-set')
count=$(xmllint --xpath 'count(//number)' "$xml")
for ((i = 1; i <= count; i++)); do
  pattern=$(xmllint --xpath "string((//number)[$i]/@arg)" "$xml")
  for bound in low high default; do
    produced+=("${pattern//%/$(xmllint --xpath "string((//number)[$i]/@$bound)" "$xml")}")
  done
done
((${#produced[@]} >= 5)) || fail "the XML produces only: ${produced[*]}"
for option in --fps --rate; do
  printf '%s\n' "${produced[@]}" | grep -q -- "^$option\b" || fail "no control gives $option"
done
# The pace slider starts at the designed 60 frames a second, in the middle of its track.
read -r low high default < <(xmllint --xpath \
  'concat(//number[@id="rate"]/@low, " ", //number[@id="rate"]/@high, " ", //number[@id="rate"]/@default)' "$xml")
((default == 60 && low >= 1 && high <= 240 && (low + high) / 2 == 60)) ||
  fail "the rate slider runs $low..$high with $default as its default, expected 60 in the middle"
# A wrong option before --help is a usage error; a right one leaves --help to answer.
for arguments in "${produced[@]}" "${produced[*]}" "${produced[*]} --window-id 0x400E22"; do
  # shellcheck disable=SC2086 # an argument with a value is two words
  "$root/usr/bin/flakemorph" $arguments --help >/dev/null 2>"$WORK/err" ||
    fail "the installed flakemorph refuses '$arguments': $(head -n 1 "$WORK/err")"
done
pass "flakemorph takes every argument the XML gives: ${produced[*]}"

for page in "$root/usr/share/man/man6/flakemorph.6.gz" "$root/usr/share/man/man1/flakemorph-trace.1.gz"; do
  [[ "$(zcat "$page" | sed -n 1p)" == *"\"flakemorph $version\""* ]] ||
    fail "$(basename "$page") has not version $version in its header"
  warnings=$(zcat "$page" | groff -man -ww -z 2>&1)
  [[ -z "$warnings" ]] || fail "groff warns about $(basename "$page"): $warnings"
  rendered=$(MANWIDTH=80 man -l "$page" 2>"$WORK/man.err")
  [[ ! -s "$WORK/man.err" ]] || fail "man -l $(basename "$page"): $(cat "$WORK/man.err")"
  for section in NAME SYNOPSIS DESCRIPTION OPTIONS "EXIT STATUS"; do
    grep -q "^$section" <<<"$rendered" || fail "$(basename "$page") has no $section"
  done
done
man_page=$(MANWIDTH=80 man -l "$root/usr/share/man/man6/flakemorph.6.gz" 2>/dev/null)
for needed in --root --window-id --fps --rate --window --geometry XSCREENSAVER_WINDOW \
  FLAKEMORPH_STATS XSECURELOCK_SAVER programs: mate-screensaver; do
  grep -q -- "$needed" <<<"$man_page" || fail "flakemorph(6) does not mention $needed"
done
trace_page=$(MANWIDTH=80 man -l "$root/usr/share/man/man1/flakemorph-trace.1.gz" 2>/dev/null)
for needed in --from --version --clock --random --png; do
  grep -q -- "$needed" <<<"$trace_page" || fail "flakemorph-trace(1) does not mention $needed"
done
# Every option the help names has an entry of its own, its name at the start of a line: a
# stray request would fold one entry into the one before.
for program in flakemorph:6 flakemorph-trace:1; do
  page=$(MANWIDTH=80 man -l "$root/usr/share/man/man${program#*:}/${program%:*}.${program#*:}.gz")
  for option in $("$root/usr/bin/${program%:*}" --help | grep -oE -- '--[a-z][a-z-]*' | sort -u); do
    grep -qE -- "^ {7}$option( |,|$)" <<<"$page" ||
      fail "${program%:*}(${program#*:}) has no entry of its own for $option"
  done
done
pass "the manual pages render without warnings and cover options, environment and savers"

make -s -C "$SOURCE_DIR" uninstall DESTDIR="$root" PREFIX=/usr >/dev/null ||
  fail "make uninstall failed"
[[ -z "$(installed_files "$root")" ]] || fail "left after uninstall: $(installed_files "$root")"
[[ "$(folders_under "$root")" == "$before" ]] ||
  fail "after uninstall the folders are:$(printf '\n%s' "$(folders_under "$root")")"
pass "make uninstall removes them all, and the folders install made, not those it found"

# Another prefix: one line says where XScreenSaver reads settings.
make -s -C "$SOURCE_DIR" install BUILD="$BUILD_DIR" DESTDIR="$WORK/local" PREFIX=/usr/local \
  >"$WORK/local.log" 2>&1 || fail "make install PREFIX=/usr/local failed: $(tail -n 5 "$WORK/local.log")"
note=$(grep 'XScreenSaver reads' "$WORK/local.log") || fail "no note about the settings folder"
[[ $(wc -l <<<"$note") == 1 && "$note" == *"/usr/share/xscreensaver/config"* &&
  "$note" == *"ln -s /usr/local/share/xscreensaver/config/flakemorph.xml"* ]] ||
  fail "the note says: $note"
echo "$note"
make -s -C "$SOURCE_DIR" uninstall DESTDIR="$WORK/local" PREFIX=/usr/local >/dev/null ||
  fail "make uninstall PREFIX=/usr/local failed"
[[ "$(folders_under "$WORK/local")" == /usr ]] ||
  fail "left after uninstall: $(folders_under "$WORK/local")"
pass "with the prefix /usr/local, install notes where XScreenSaver reads settings"

DESTDIR="$WORK/cmake-root" cmake --install "$BUILD_DIR" --prefix /usr >/dev/null ||
  fail "cmake --install failed"
[[ "$(installed_files "$WORK/cmake-root")" == "$expected" ]] ||
  fail "cmake --install put in place: $(installed_files "$WORK/cmake-root")"
pass "cmake --install puts the same files in place"
