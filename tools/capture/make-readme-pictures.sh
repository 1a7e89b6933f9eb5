#!/usr/bin/env bash
# Remakes the README's pictures with plumo-capture: docs/plumo.png, one frame
# (9 s into the cycle, the "Esta Plumo" caption), and docs/plumo-cycle.gif, the
# whole 24-second cycle scaled down to 320x240 at 5 frames a second. Both are
# rendered headless on the fixed-step clock, so every run gives the same bytes
# on the same machine.
#
#   tools/capture/make-readme-pictures.sh [build-dir]   (default build/pictures)
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=${1:-$root/build/pictures}
still_frame=540     # t = 9 s at 60 fps
budget=$((2 * 1024 * 1024))

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" --target plumo-capture -j2 >/dev/null
capture=$build/tools/capture/plumo-capture

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$capture" --first "$still_frame" --frames 1 --out "$work/still"
"$capture" --seconds 24 --preview "$work/plumo-cycle.gif" --preview-size 320x240 --preview-fps 5

mkdir -p "$root/docs"
cp "$work/still/frame-$(printf %06d "$still_frame").png" "$root/docs/plumo.png"
cp "$work/plumo-cycle.gif" "$root/docs/plumo-cycle.gif"

size=$(($(stat -c %s "$root/docs/plumo.png") + $(stat -c %s "$root/docs/plumo-cycle.gif")))
echo "docs/plumo.png and docs/plumo-cycle.gif: $size bytes together"
if ((size > budget)); then
  echo "make-readme-pictures: over the $budget-byte budget; lower --preview-size or --preview-fps" >&2
  exit 1
fi
