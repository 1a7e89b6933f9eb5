#!/usr/bin/env python3
"""How far a preview GIF's colours are from the frames it was made of.

    plumo-capture --seconds 24 --out frames --preview cycle.gif \\
        --preview-size 320x240 --preview-fps 5
    tools/capture/gif_colour_error.py frames cycle.gif --fps 60 --preview-fps 5

Preview frame j shows recording frame ceil(j * fps / preview-fps), scaled
down by whole factors (each pixel the rounded mean of its block, as
plumo-capture scales). ImageMagick decodes both files, so the measure does not
depend on the GIF library that wrote them. Prints the mean and root-mean-square
error per channel (0-255) and the worst channel difference."""

import argparse
import math
import os
import subprocess
import sys


def raw_rgb(path, *options):
    return subprocess.run(["convert", path, *options, "-depth", "8", "rgb:-"],
                          check=True, stdout=subprocess.PIPE).stdout


def size_of(path):
    text = subprocess.run(["identify", "-format", "%w %h\n", path], check=True,
                          stdout=subprocess.PIPE).stdout.decode().split("\n")[0]
    width, height = text.split()
    return int(width), int(height)


def downscaled(rgb, width, height, factor):
    out = bytearray()
    area = factor * factor
    for y in range(0, height, factor):
        rows = [rgb[(y + dy) * width * 3:(y + dy + 1) * width * 3] for dy in range(factor)]
        for x in range(0, width * 3, factor * 3):
            for c in range(3):
                total = sum(row[x + dx * 3 + c] for row in rows for dx in range(factor))
                out.append((2 * total + area) // (2 * area))
    return bytes(out)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("frames", help="folder of frame-NNNNNN.png files")
    parser.add_argument("gif")
    parser.add_argument("--fps", type=int, default=60)
    parser.add_argument("--preview-fps", type=int, default=15)
    args = parser.parse_args()

    width, height = size_of(args.gif)
    shown = raw_rgb(args.gif, "-coalesce")
    frame_bytes = width * height * 3
    count = len(shown) // frame_bytes
    total = squares = worst = 0
    for j in range(count):
        index = -(-j * args.fps // args.preview_fps)
        path = os.path.join(args.frames, f"frame-{index:06d}.png")
        source_width, source_height = size_of(path)
        factor = source_width // width
        if factor * width != source_width or factor * height != source_height:
            sys.exit(f"{path}: {source_width}x{source_height} is no whole multiple of the GIF")
        expected = downscaled(raw_rgb(path), source_width, source_height, factor)
        frame = shown[j * frame_bytes:(j + 1) * frame_bytes]
        for a, b in zip(frame, expected):
            d = a - b if a > b else b - a
            total += d
            squares += d * d
            if d > worst:
                worst = d
    values = count * frame_bytes
    print(f"{args.gif}: {count} frames, mean error {total / values:.3f}, "
          f"rms {math.sqrt(squares / values):.3f}, worst {worst} (per channel, of 255)")


if __name__ == "__main__":
    main()
