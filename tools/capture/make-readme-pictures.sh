#!/usr/bin/env bash
# Remakes the README's pictures with plumo-capture: docs/plumo.png, one frame
# (9 s into the cycle, the "Esta Plumo" caption), and docs/plumo-cycle.gif, the
# whole 24-second cycle scaled down to 320x240 at 5 frames a second. Both are
# rendered headless on the fixed-step clock, so every run gives the same bytes
# on the same machine. docs/plumo-letterbox.png is the native plumo itself on
# a private 1280x1024 Xvfb, photographed about 9 s into the cycle by the
# letterbox end-to-end case, which checks that same run (bars, picture, the
# screen's mode); it is copied only when every check holds. So is
# docs/plumo-screensaver.png, the same as the X screensaver daemon's hack,
# from the saver-daemon case (which runs the daemon as nobody when root).
#
#   tools/capture/make-readme-pictures.sh [build-dir]   (default build/pictures)
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=${1:-$root/build/pictures}
still_frame=540     # t = 9 s at 60 fps
budget=$((2 * 1024 * 1024))

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" --target plumo-capture plumo -j2 >/dev/null
capture=$build/src/capture/plumo-capture
plumo=$build/src/platform/native/plumo

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$capture" --first "$still_frame" --frames 1 --out "$work/still"
"$capture" --seconds 24 --preview "$work/plumo-cycle.gif" --preview-size 320x240 --preview-fps 5
python3 "$root/tests/e2e/plumo_e2e.py" --case letterbox --work-dir "$work/letterbox" \
  --screenshot "$work/plumo-letterbox.png" "$plumo"
python3 "$root/tests/e2e/plumo_e2e.py" --case saver-daemon --work-dir "$work/saver-daemon" \
  --screenshot "$work/plumo-screensaver.png" "$plumo"

mkdir -p "$root/docs"
cp "$work/still/frame-$(printf %06d "$still_frame").png" "$root/docs/plumo.png"
cp "$work/plumo-cycle.gif" "$root/docs/plumo-cycle.gif"
cp "$work/plumo-letterbox.png" "$root/docs/plumo-letterbox.png"
cp "$work/plumo-screensaver.png" "$root/docs/plumo-screensaver.png"

size=0
for picture in plumo.png plumo-cycle.gif plumo-letterbox.png plumo-screensaver.png; do
  size=$((size + $(stat -c %s "$root/docs/$picture")))
done
echo "docs/plumo.png, plumo-cycle.gif, plumo-letterbox.png and plumo-screensaver.png:" \
  "$size bytes together"
if ((size > budget)); then
  echo "make-readme-pictures: over the $budget-byte budget; lower --preview-size or --preview-fps" >&2
  exit 1
fi
