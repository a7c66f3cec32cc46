#!/usr/bin/env bash
# Installs, from Debian's packages, whatever flakemorph needs that is not installed yet, for one
# purpose: `run` (build and run the programs), `test` (that, and every test and benchmark, the
# Windows build's included), `windows` (the Windows build) or `deb` (that, and the Debian
# package). Does nothing when everything is there.
set -euo pipefail

purpose=${1:-test}
run_packages=(
  cmake g++ make pkg-config         # the build
  libsdl2-dev zlib1g-dev            # the window, PNG pictures
  libxrandr-dev                     # monitors that change while it runs
  libsdl2-ttf-dev fonts-dejavu-core # the text of --fps
  libx11-dev libxres-dev            # windows of other programs, and whether their owner is there
  libwayland-dev libwayland-bin     # the native Wayland window, its protocols' code generated
  wayland-protocols                 # ... from xdg-shell
  librust-wayland-protocols-dev     # ... and the layer shell (and virtual pointer) ones
)
# The Windows programs, cross-built, and their tests under Wine.
windows_packages=(
  cmake make                                     # the build
  g++-mingw-w64-x86-64-posix libz-mingw-w64-dev  # the cross compiler, zlib for Windows
  googletest                                     # GoogleTest's sources, built for Windows
  wine wine64                                    # the tests, run under Wine
  g++ zlib1g-dev imagemagick icoutils            # the icon, drawn by a native trace tool
  nsis                                           # the installer
)
deb_packages=(
  dpkg-dev file                     # the package and the libraries it depends on
)
test_packages=(
  libgtest-dev libbenchmark-dev     # tests, benchmarks
  xvfb xdotool imagemagick x11-utils             # end-to-end tests in a virtual X server
  xserver-xorg-core xserver-xorg-video-dummy     # ... and in one with several monitors
  libxss-dev x11-xserver-utils                   # ... of windows of other programs
  xscreensaver xsecurelock strace procps         # ... inside the real screen savers
  libxml2-utils groff man-db                     # checks of the settings XML and manual pages
  lintian                                        # checks of the package
  sway grim wtype swayidle                       # end-to-end tests under a real compositor
  openbox                                        # ... and the Windows saver under a window manager
)
# Installed without what they only recommend, which for the MATE daemon is most of a desktop.
lean_test_packages=(
  mate-screensaver dbus-bin                      # MATE's screen saver on a D-Bus session
)
case "$purpose" in
  run) packages=("${run_packages[@]}") lean=() ;;
  deb) packages=("${run_packages[@]}" "${deb_packages[@]}") lean=() ;;
  windows) packages=("${windows_packages[@]}") lean=() ;;
  test)
    packages=("${run_packages[@]}" "${deb_packages[@]}" "${test_packages[@]}"
      "${windows_packages[@]}")
    lean=("${lean_test_packages[@]}")
    ;;
  *)
    echo "usage: install-deps.sh [run|test|windows|deb]" >&2
    exit 2
    ;;
esac

not_installed() {
  local package status
  for package in "$@"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || echo "$package"
  done
}

mapfile -t missing < <(not_installed "${packages[@]}")
mapfile -t missing_lean < <(not_installed "${lean[@]}")
if [[ ${#missing[@]} -eq 0 && ${#missing_lean[@]} -eq 0 ]]; then
  exit 0
fi

echo "install-deps: installing ${missing[*]} ${missing_lean[*]}"
sudo=()
if [[ $(id -u) -ne 0 ]]; then
  if command -v sudo >/dev/null; then
    sudo=(sudo)
  else
    echo "install-deps: these packages are missing and this is not root: ${missing[*]} ${missing_lean[*]}" >&2
    exit 1
  fi
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
if [[ ${#missing[@]} -gt 0 ]]; then
  "${sudo[@]}" apt-get install -y -q -o DPkg::Lock::Timeout=600 "${missing[@]}"
fi
if [[ ${#missing_lean[@]} -gt 0 ]]; then
  "${sudo[@]}" apt-get install -y -q -o DPkg::Lock::Timeout=600 --no-install-recommends "${missing_lean[@]}"
fi
echo "install-deps: done"
