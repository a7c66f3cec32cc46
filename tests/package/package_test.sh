#!/usr/bin/env bash
# The Debian package as a user gets it: built by `make deb` with the version of the build,
# clean under lintian, installed with apt-get, found by `man -k`, working inside XScreenSaver
# and MATE's screen saver from its installed files alone, and gone without a file left after
# `apt-get purge`. It installs and purges flakemorph on this machine, so it runs as root on a
# machine of its own (CI), not within `make test`.
set -euo pipefail
export LC_ALL=C
cd "$(dirname "${BASH_SOURCE[0]}")/../.."
SOURCE_DIR=$PWD
WORK=$(mktemp -d)
installed=""
# A failed run still takes the package away again.
cleanup() {
  [[ -z "$installed" ]] || apt-get purge -y -q flakemorph >/dev/null 2>&1 || true
  rm -rf "$WORK"
}
trap cleanup EXIT
passed=0

fail() {
  echo "FAIL: $*" >&2
  echo "$passed passed, 1 failed"
  exit 1
}
pass() {
  echo "ok: $*"
  passed=$((passed + 1))
}

[[ $(id -u) == 0 ]] || fail "the package test installs a package: run it as root"
if [[ "$(dpkg-query -W -f='${Status}' flakemorph 2>/dev/null || true)" == *" installed" ]]; then
  fail "flakemorph is installed already: this test would remove it"
fi
version=$(sed -n 's/^project(flakemorph VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[[ -n "$version" ]] || fail "no version in CMakeLists.txt"

rm -f flakemorph_*.deb
make deb >"$WORK/deb.log" 2>&1 || fail "make deb failed: $(tail -n 20 "$WORK/deb.log")"
deb="flakemorph_${version}_amd64.deb"
[[ -f "$deb" ]] || fail "make deb made $(ls flakemorph_*.deb 2>/dev/null || echo nothing), not $deb"
dpkg-deb -f "$deb" Package Version Depends Suggests | sed 's/^/  /'
[[ "$(dpkg-deb -f "$deb" Version)" == "$version" ]] || fail "the package's version is not $version"
depends=$(dpkg-deb -f "$deb" Depends)
for library in zlib1g libx11-6 libxext6 libxrandr2 libxres1 libwayland-client0 libdecor-0-0 \
  libc6; do
  [[ "$depends" == *"$library ("* || "$depends" == *"$library,"* || "$depends" == *"$library" ]] ||
    fail "the package does not depend on $library: $depends"
done
for gone in libsdl2 fonts-dejavu; do
  [[ "$depends" != *"$gone"* ]] || fail "the package still depends on $gone: $depends"
done
for daemon in xscreensaver mate-screensaver xsecurelock; do
  [[ "$(dpkg-deb -f "$deb" Suggests)" == *"$daemon"* ]] || fail "the package does not suggest $daemon"
done
pass "make deb builds $deb: version $version, libraries from the programs, daemons suggested"

# lintian would rather not run as root.
cp "$deb" "$WORK/"
chmod 755 "$WORK"
runuser -u nobody -- lintian --display-info --fail-on error,warning "$WORK/$deb" \
  >"$WORK/lintian.log" 2>&1 || fail "lintian: $(cat "$WORK/lintian.log")"
sed 's/^/  lintian: /' "$WORK/lintian.log"
pass "lintian finds no error and no warning"

export DEBIAN_FRONTEND=noninteractive
installed=yes
apt-get install -y -q "./$deb" >"$WORK/apt.log" 2>&1 || fail "apt-get install: $(tail -n 10 "$WORK/apt.log")"
dpkg-query -L flakemorph >"$WORK/files"
[[ "$(/usr/bin/flakemorph --version)" == "flakemorph $version" &&
  "$(/usr/bin/flakemorph-trace --version)" == "flakemorph-trace $version" ]] ||
  fail "the installed programs say $(/usr/bin/flakemorph --version), $(/usr/bin/flakemorph-trace --version)"
for needed in /usr/libexec/xscreensaver/flakemorph /usr/share/xscreensaver/config/flakemorph.xml \
  /usr/share/applications/screensavers/flakemorph.desktop /usr/share/doc/flakemorph/copyright; do
  grep -qx "$needed" "$WORK/files" || fail "the package lacks $needed"
done
pass "apt-get installs it; both programs answer --version with $version"

# man-db's trigger has indexed the new pages.
apropos=$(man -k flakemorph 2>&1 || true)
echo "$apropos" | sed 's/^/  man -k: /'
grep -q '^flakemorph (6) ' <<<"$apropos" && grep -q '^flakemorph-trace (1) ' <<<"$apropos" ||
  fail "man -k flakemorph does not find both pages"
pass "man -k flakemorph finds both manual pages"

for daemon_test in xscreensaver_test mate_screensaver_test; do
  echo "--- $daemon_test, with the installed files"
  FLAKEMORPH_INSTALLED=/usr/bin/flakemorph BUILD_DIR="$WORK/no-build" SOURCE_DIR="$SOURCE_DIR" \
    bash "tests/e2e/$daemon_test.sh" || fail "$daemon_test failed with the installed files"
  pass "$daemon_test passes with the installed files"
done

apt-get purge -y -q flakemorph >"$WORK/purge.log" 2>&1 || fail "apt-get purge: $(tail -n 10 "$WORK/purge.log")"
installed=""
[[ -z "$(dpkg-query -W -f='${Status}' flakemorph 2>/dev/null | grep -v not-installed || true)" ]] ||
  fail "dpkg still knows flakemorph: $(dpkg-query -W -f='${Status}' flakemorph)"
left=()
while IFS= read -r path; do
  [[ "$path" == /. ]] && continue
  if [[ -L "$path" || -f "$path" ]]; then
    left+=("$path")
  elif [[ -d "$path" ]] && ! dpkg-query -S "$path" >/dev/null 2>&1 &&
    [[ -n "$(find "$path" -maxdepth 0 -empty)" ]]; then
    # A folder no package owns any more, left empty.
    left+=("$path/")
  fi
done <"$WORK/files"
((${#left[@]} == 0)) || fail "left after purge: ${left[*]}"
[[ ! -e /usr/share/doc/flakemorph ]] || fail "/usr/share/doc/flakemorph is left"
pass "apt-get purge leaves none of its $(wc -l <"$WORK/files") paths behind"
echo "$passed passed, 0 failed"
