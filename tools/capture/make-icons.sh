#!/usr/bin/env bash
# Remakes the program's icons from the demo's own picture, recorded by
# plumo-capture: the frame at the end of the cycle (24 s, the one frame without
# a caption), its middle 480x480 square scaled down by area averaging.
#   packaging/icons/plumo-{48,128,256}.png  the hicolor theme's sizes
#   src/platform/windows/plumo.ico          16 to 256 px, for Explorer
#
#   tools/capture/make-icons.sh [build-dir]   (default build/pictures)
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=${1:-$root/build/pictures}
last_frame=1440  # t = 24 s at 60 fps

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" --target plumo-capture -j2 >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/src/capture/plumo-capture" --first "$last_frame" --frames 1 --out "$work"
frame=$work/frame-$(printf %06d "$last_frame").png

# -strip and no date chunks: the same picture gives the same bytes.
icon() {
  convert "$frame" -crop 480x480+80+0 +repage -filter box -resize "$1x$1" -strip \
    -define png:exclude-chunks=date,time "$2"
}
for size in 48 128 256; do
  icon "$size" "$root/packaging/icons/plumo-$size.png"
done
for size in 16 32; do
  icon "$size" "$work/plumo-$size.png"
done
convert "$work/plumo-16.png" "$work/plumo-32.png" "$root/packaging/icons/plumo-48.png" \
  "$root/packaging/icons/plumo-256.png" "$root/src/platform/windows/plumo.ico"
echo "icons written: packaging/icons/plumo-{48,128,256}.png, src/platform/windows/plumo.ico"
