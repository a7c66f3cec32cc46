#!/usr/bin/env bash
# Installs, from Debian's packages, whatever flakemorph needs that is not installed yet, for one
# purpose: `run` (build and run the programs), `test` (that, and every test and benchmark, the
# Windows and web builds' included), `windows` (the Windows build), `web` (the web page and the
# WebAssembly trace tool) or `deb` (that, and the Debian package). Does nothing when everything
# is there.
set -euo pipefail

purpose=${1:-test}
run_packages=(
  cmake g++ make pkg-config         # the build
  zlib1g-dev                        # PNG pictures
  libx11-dev libxext-dev            # the X11 window, its frames through shared memory
  libxrandr-dev                     # monitors that change while it runs
  libxres-dev                       # whether the owner of a window of another program is there
  libwayland-dev libwayland-bin     # the native Wayland window, its protocols' code generated
  wayland-protocols                 # ... from xdg-shell
  librust-wayland-protocols-dev     # ... and the layer shell (and virtual pointer) ones
  plasma-wayland-protocols          # ... and KDE's idle time, which sway 1.7 offers
  libdecor-0-dev libdecor-0-plugin-1-cairo  # a frame for --window where the compositor draws none
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
# The web page and the trace tool for WebAssembly, with Debian's own compiler and libraries for
# wasm32-wasi; node runs the tool.
web_packages=(
  cmake make                                     # the build
  clang lld llvm                                 # the compiler, wasm-ld, llvm-ar
  wasi-libc libc++-dev-wasm32 libclang-rt-dev-wasm32  # the C and C++ libraries for wasm32-wasi
  nodejs                                         # the trace tool under WASI, the page's size
)
deb_packages=(
  dpkg-dev file                     # the package and the libraries it depends on
)
test_packages=(
  libgtest-dev libbenchmark-dev     # tests, benchmarks
  xvfb xdotool imagemagick x11-utils             # end-to-end tests in a virtual X server
  openbox                                        # ... and under a window manager
  xserver-xorg-core xserver-xorg-video-dummy     # ... and in one with several monitors
  libxss-dev x11-xserver-utils                   # ... of windows of other programs
  xscreensaver xsecurelock strace procps         # ... inside the real screen savers
  libxml2-utils groff man-db                     # checks of the settings XML and manual pages
  lintian                                        # checks of the package
  sway grim wtype swayidle swaylock              # end-to-end tests under a real compositor
  weston mutter                                  # ... and ones without an idle protocol
  chromium                                       # the web page in a real browser, headless
)
# Installed without what they only recommend, which for the MATE daemon is most of a desktop.
lean_test_packages=(
  mate-screensaver dbus-bin                      # MATE's screen saver on a D-Bus session
  kwin-wayland python3-dbus                      # KDE's compositor, its pictures through D-Bus
)
case "$purpose" in
  run) packages=("${run_packages[@]}") lean=() ;;
  deb) packages=("${run_packages[@]}" "${deb_packages[@]}") lean=() ;;
  windows) packages=("${windows_packages[@]}") lean=() ;;
  web) packages=("${web_packages[@]}") lean=() ;;
  test)
    packages=("${run_packages[@]}" "${deb_packages[@]}" "${test_packages[@]}"
      "${windows_packages[@]}" "${web_packages[@]}")
    lean=("${lean_test_packages[@]}")
    ;;
  *)
    echo "usage: install-deps.sh [run|test|windows|web|deb]" >&2
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
