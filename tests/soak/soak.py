#!/usr/bin/env python3
"""Soak: the demo run for a long stretch of scene time at a fixed step
(plumo-capture writing nothing). Passes when every cycle starts over at 24 s
and resident memory stays flat after the first cycle."""
import argparse
import re
import subprocess
import sys

CYCLE = re.compile(r"cycle (\d+) ended at frame (\d+), scene time ([0-9.]+) s, resident (-?\d+) KiB")


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--capture", required=True, help="path of plumo-capture")
    parser.add_argument("--seconds", type=int, default=600, help="scene time to run")
    parser.add_argument("--fps", type=int, default=60)
    parser.add_argument("--max-growth-kib", type=int, default=1024)
    args = parser.parse_args()

    run = subprocess.run([args.capture, "--null", "--report-cycles", "--fps", str(args.fps),
                          "--seconds", str(args.seconds)],
                         capture_output=True, text=True, timeout=3600)
    cycles = [(int(n), int(frame), float(t), int(kib))
              for n, frame, t, kib in CYCLE.findall(run.stderr)]
    failures = []
    if run.returncode != 0:
        failures.append(f"plumo-capture exited with {run.returncode}: {run.stderr.strip()}")

    # One cycle is 24 s of frames (1440 at 60 fps); the frame that reaches
    # 24 s ends it, so the whole run holds this many.
    frames_per_cycle = 24 * args.fps
    expected = (args.seconds * args.fps - 1) // frames_per_cycle
    if len(cycles) != expected:
        failures.append(f"{len(cycles)} cycles ended, expected {expected}")
    step = 1.0 / args.fps
    for n, frame, t, _ in cycles:
        if not 24.0 <= t < 24.0 + step + 1e-9:
            failures.append(f"cycle {n} ended at scene time {t}, not at 24 s")
        if frame != n * frames_per_cycle:
            failures.append(f"cycle {n} ended at frame {frame}, expected {n * frames_per_cycle}")

    if len(cycles) >= 2:
        first = cycles[0][3]
        growth = max(kib for *_, kib in cycles[1:]) - first
        print(f"soak: {args.seconds} s of scene time, {len(cycles)} cycles, resident "
              f"{first} KiB after the first, growth {growth} KiB after it")
        if growth >= args.max_growth_kib:
            failures.append(f"resident memory grew by {growth} KiB after the first cycle")
    for line in failures:
        print("soak: " + line, file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
