#!/usr/bin/env bash
# `make install DESTDIR=... PREFIX=/usr` puts exactly the programs, their manual pages, the
# settings XML and the link for XScreenSaver in place, and `make uninstall` takes exactly those
# away; `cmake --install` puts the same. The installed XML is valid, every argument its controls
# can give is one flakemorph takes, and the manual pages render without a warning.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
SOURCE_DIR=${SOURCE_DIR:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}
require_tools make cmake xmllint groff man

expected="/usr/bin/flakemorph
/usr/bin/flakemorph-trace
/usr/libexec/xscreensaver/flakemorph
/usr/share/man/man1/flakemorph-trace.1
/usr/share/man/man6/flakemorph.6
/usr/share/xscreensaver/config/flakemorph.xml"

# Files and links under $1, as absolute paths below it.
installed_files() {
  (cd "$1" && find . \( -type f -o -type l \) | sed 's/^\.//' | sort)
}

root="$WORK/root"
# -o: the build is this test's own and already done; installing must not build again.
make -s -C "$SOURCE_DIR" -o build -o deps install BUILD="$BUILD_DIR" DESTDIR="$root" PREFIX=/usr \
  >"$WORK/install.log" 2>&1 || fail "make install failed: $(tail -n 5 "$WORK/install.log")"
[[ "$(installed_files "$root")" == "$expected" ]] ||
  fail "make install put in place:$(printf '\n%s' "$(installed_files "$root")")"
pass "make install puts exactly the six files in place"

link="$root/usr/libexec/xscreensaver/flakemorph"
[[ -L "$link" && "$(readlink -f "$link")" == "$(readlink -f "$root/usr/bin/flakemorph")" ]] ||
  fail "libexec/xscreensaver/flakemorph is not a link to bin/flakemorph"
version=$("$link" --version) || fail "the installed program does not run"
pass "the saver link runs the installed program: $version"

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

for page in "$root/usr/share/man/man6/flakemorph.6" "$root/usr/share/man/man1/flakemorph-trace.1"; do
  warnings=$(groff -man -ww -z "$page" 2>&1)
  [[ -z "$warnings" ]] || fail "groff warns about $(basename "$page"): $warnings"
  rendered=$(MANWIDTH=80 man -l "$page" 2>"$WORK/man.err")
  [[ ! -s "$WORK/man.err" ]] || fail "man -l $(basename "$page"): $(cat "$WORK/man.err")"
  for section in NAME SYNOPSIS DESCRIPTION OPTIONS "EXIT STATUS"; do
    grep -q "^$section" <<<"$rendered" || fail "$(basename "$page") has no $section"
  done
done
man_page=$(MANWIDTH=80 man -l "$root/usr/share/man/man6/flakemorph.6" 2>/dev/null)
for needed in --root --window-id --fps --rate --window --geometry XSCREENSAVER_WINDOW \
  FLAKEMORPH_STATS XSECURELOCK_SAVER programs:; do
  grep -q -- "$needed" <<<"$man_page" || fail "flakemorph(6) does not mention $needed"
done
pass "the manual pages render without warnings and cover options, environment and savers"

make -s -C "$SOURCE_DIR" uninstall DESTDIR="$root" PREFIX=/usr >/dev/null ||
  fail "make uninstall failed"
[[ -z "$(installed_files "$root")" ]] || fail "left after uninstall: $(installed_files "$root")"
pass "make uninstall removes them all"

DESTDIR="$WORK/cmake-root" cmake --install "$BUILD_DIR" --prefix /usr >/dev/null ||
  fail "cmake --install failed"
[[ "$(installed_files "$WORK/cmake-root")" == "$expected" ]] ||
  fail "cmake --install put in place: $(installed_files "$WORK/cmake-root")"
pass "cmake --install puts the same files in place"
