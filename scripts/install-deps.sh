#!/usr/bin/env bash
# Installs, from Debian's packages, whatever flakemorph needs to build, run and test that is
# not installed yet. Does nothing when everything is there.
set -euo pipefail

packages=(
  cmake g++ make pkg-config         # the build
  libsdl2-dev libpng-dev            # the window, PNG pictures
  libsdl2-ttf-dev fonts-dejavu-core # the text of --fps
  libx11-dev libxres-dev            # windows of other programs, and whether their owner is there
  libgtest-dev libbenchmark-dev     # tests, benchmarks
  xvfb xdotool imagemagick x11-utils libx11-dev  # end-to-end tests in a virtual X server
  xserver-xorg-core xserver-xorg-video-dummy     # ... and in one with several monitors
  libxss-dev x11-xserver-utils                   # ... of windows of other programs
  xscreensaver xsecurelock strace procps         # ... inside the real screen savers
  libxml2-utils groff man-db                     # checks of the settings XML and manual pages
)

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$package")
done

if [[ ${#missing[@]} -eq 0 ]]; then
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
sudo=()
if [[ $(id -u) -ne 0 ]]; then
  if command -v sudo >/dev/null; then
    sudo=(sudo)
  else
    echo "install-deps: these packages are missing and this is not root: ${missing[*]}" >&2
    exit 1
  fi
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
"${sudo[@]}" apt-get install -y -q "${missing[@]}"
echo "install-deps: done"
