#!/usr/bin/env bash
# Installs what building, running and testing Plumo needs on Debian 12.
# Quick when everything is there already; otherwise one apt-get update and one
# apt-get install, as root or through sudo.
set -euo pipefail

packages=(
  # compilers and build
  build-essential cmake pkg-config clang libclang-rt-14-dev
  # tests and benchmarks
  libgtest-dev libgmock-dev googletest libbenchmark-dev valgrind python3
  # the present's candidates (tools/bench/present_candidates.cpp)
  libpixman-1-dev
  # the native layer: SDL2, FreeType, fontconfig, Mesa's GL and GLU, libpng
  libsdl2-dev libfreetype-dev libfontconfig-dev fonts-liberation2 libcli11-dev
  libgl1-mesa-dev libglu1-mesa-dev libgl1-mesa-dri libpng-dev
  # the capture tool: GIF files and their palettes
  libgif-dev libimagequant-dev
  # the layer tests talk to the X server themselves; the present without GL
  # puts pictures through MIT-SHM (libXext) and wl_shm (libwayland-client)
  libx11-dev libxrandr-dev libxext-dev libwayland-dev
  # a private X server and what drives and photographs it
  xvfb xdotool imagemagick x11-xserver-utils x11-utils
  # the desktops the end-to-end tests run the demo on: two window managers
  # (xfwm4 reads its settings over a D-Bus session bus), a Wayland compositor,
  # wmctrl to close windows as a window manager's close button does, and the
  # X screensaver daemon that runs it as a hack (as another user, through setpriv)
  openbox xfwm4 dbus-daemon weston wmctrl xscreensaver util-linux
  # the Windows program and Wine to run it
  g++-mingw-w64-x86-64 wine wine64
  # the web page: Emscripten, and Chromium to test it in
  emscripten chromium
  # the packages: cpack's Debian generator and what checks its output
  dpkg-dev file lintian desktop-file-utils appstream
)

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null || true)
  [[ $status == installed ]] || missing+=("$package")
done
if ((${#missing[@]} == 0)); then
  exit 0
fi

echo "setup: installing ${missing[*]}" >&2
as_root=()
if ((EUID != 0)); then
  if ! command -v sudo >/dev/null; then
    echo "setup: need root or sudo to install: ${missing[*]}" >&2
    exit 1
  fi
  as_root=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y "${missing[@]}"
