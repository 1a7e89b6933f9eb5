#!/usr/bin/env bash
# Installs what Plumo needs on Debian 12, for one purpose or more:
#
#   tools/setup.sh demo    build the native program and show it (tools/run-demo.sh)
#   tools/setup.sh wine    cross-build plumo.exe and show it under Wine (run-demo.sh --wine)
#   tools/setup.sh web     build the web page and serve it (tools/run-web.sh)
#   tools/setup.sh tests   all of the above, and everything the tests run (tools/run-tests.sh)
#
# With no purpose named, `tests`. Quick when everything is there already;
# otherwise one apt-get update and one apt-get install, as root or through sudo.
set -euo pipefail

# Every purpose: compilers, CMake, and Python for the build's helper scripts
# and the private X server.
build=(build-essential cmake pkg-config python3)
# The native layer (SDL2, FreeType, fontconfig and the caption's face, Mesa's
# GL and GLU, X11; MIT-SHM's libXext and libwayland-client for the present
# without GL; mimalloc, its allocator), its options (CLI11), and what the
# tree's other native programs need to configure: libpng for F12 and the
# capture tool, giflib and libimagequant for the capture tool's GIF previews.
native=(libsdl2-dev libfreetype-dev libfontconfig-dev fonts-liberation2 libcli11-dev
        libgl1-mesa-dev libglu1-mesa-dev libgl1-mesa-dri libx11-dev libxext-dev
        libwayland-dev libmimalloc-dev libpng-dev libgif-dev libimagequant-dev)
# Showing it without a display of one's own, and --seconds's Escape.
show=(xvfb xdotool)
# The Windows program (its CLI11 comes from the host's headers) and Wine.
windows=(g++-mingw-w64-x86-64 libcli11-dev wine wine64)
# The web page: Emscripten, and the native font bake step (FreeType,
# fontconfig, the face, GLU's tessellator).
web=(emscripten libfreetype-dev libfontconfig-dev fonts-liberation2 libgl1-mesa-dev
     libglu1-mesa-dev)
# What only the tests and benchmarks run.
tests=(
  # the fuzzer (clang, libFuzzer), test frameworks, the benchmark, memcheck,
  # and the present's candidates (tools/bench/present_candidates.cpp)
  clang libclang-rt-14-dev libgtest-dev libgmock-dev googletest libbenchmark-dev valgrind
  libpixman-1-dev
  # the layer tests talk to the X server themselves
  libxrandr-dev
  # what drives and photographs the private X server
  imagemagick x11-xserver-utils x11-utils
  # the desktops the end-to-end tests run the demo on: two window managers
  # (xfwm4 reads its settings over a D-Bus session bus), a Wayland compositor,
  # wmctrl to close windows as a window manager's close button does, and the
  # X screensaver daemon that runs it as a hack (as another user, through setpriv)
  openbox xfwm4 dbus-daemon weston wmctrl xscreensaver util-linux
  # the web page's tests: Chromium
  chromium
  # the packages: cpack's Debian generator and what checks its output
  dpkg-dev file lintian desktop-file-utils appstream
)

purposes=("$@")
((${#purposes[@]})) || purposes=(tests)
packages=("${build[@]}")
for purpose in "${purposes[@]}"; do
  case $purpose in
    demo) packages+=("${native[@]}" "${show[@]}") ;;
    wine) packages+=("${windows[@]}" "${show[@]}") ;;
    web) packages+=("${web[@]}") ;;
    tests) packages+=("${native[@]}" "${show[@]}" "${windows[@]}" "${web[@]}" "${tests[@]}") ;;
    *) echo "setup: unknown purpose $purpose (demo, wine, web or tests)" >&2; exit 2 ;;
  esac
done

missing=()
declare -A seen=()
for package in "${packages[@]}"; do
  [[ -z ${seen[$package]:-} ]] || continue
  seen[$package]=1
  status=$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null || true)
  [[ $status == installed ]] || missing+=("$package")
done
if ((${#missing[@]} == 0)); then
  exit 0
fi

echo "setup: installing for ${purposes[*]}: ${missing[*]}" >&2
as_root=()
if ((EUID != 0)); then
  if ! command -v sudo >/dev/null; then
    echo "setup: need root or sudo to install: ${missing[*]}" >&2
    exit 1
  fi
  as_root=(sudo)
fi
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y "${missing[@]}"
