#!/usr/bin/env python3
"""Soak: the demo run for a long stretch of scene time at a fixed step
(plumo-capture writing nothing). Passes when every cycle starts over at 24 s
and memory stays flat after the first cycle.

Two measures: the heap in use (every malloc arena and mapped block, the least
seen at any frame of a cycle) must not grow beyond a few KiB of noise, which
catches a leak of some KiB a cycle; resident memory only within a wide
allowance, for what is mapped outside malloc. A leak grows the heap cycle
after cycle; the GL driver may grow it once, by a cache it keeps from then on
(llvmpipe keeps a second scene, some hundreds of KiB, once its threads have
fallen behind on a busy machine), so the largest single step, if no larger
than --max-heap-step-kib, is not counted. Resident memory alone cannot be held tight: it
moves by up to 2 MiB between cycles of the same run with the heap in use flat
to the KiB, as the allocator caches or returns pages on the GL driver's
threads' timing."""
import argparse
import re
import subprocess
import sys

CYCLE = re.compile(r"cycle (\d+) ended at frame (\d+), scene time ([0-9.]+) s, "
                   r"resident (-?\d+) KiB, heap (-?\d+) KiB")


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--capture", required=True, help="path of plumo-capture")
    parser.add_argument("--seconds", type=int, default=600, help="scene time to run")
    parser.add_argument("--fps", type=int, default=60)
    parser.add_argument("--max-heap-growth-kib", type=int, default=16)
    parser.add_argument("--max-heap-step-kib", type=int, default=1024)
    parser.add_argument("--max-resident-growth-kib", type=int, default=4096)
    args = parser.parse_args()

    run = subprocess.run([args.capture, "--null", "--report-cycles", "--fps", str(args.fps),
                          "--seconds", str(args.seconds)],
                         capture_output=True, text=True, timeout=3600)
    cycles = [(int(n), int(frame), float(t), int(resident), int(heap))
              for n, frame, t, resident, heap in CYCLE.findall(run.stderr)]
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
    for n, frame, t, *_ in cycles:
        if not 24.0 <= t < 24.0 + step + 1e-9:
            failures.append(f"cycle {n} ended at scene time {t}, not at 24 s")
        if frame != n * frames_per_cycle:
            failures.append(f"cycle {n} ended at frame {frame}, expected {n * frames_per_cycle}")

    if len(cycles) >= 2:
        print(f"soak: {args.seconds} s of scene time, {len(cycles)} cycles")
        for column, name, limit in ((3, "resident memory", args.max_resident_growth_kib),
                                    (4, "heap in use", args.max_heap_growth_kib)):
            first = cycles[0][column]
            growth = max(cycle[column] for cycle in cycles[1:]) - first
            print(f"soak: {name} {first} KiB after the first cycle, growth {growth} KiB after it")
            if column == 4:
                steps = [b[column] - a[column] for a, b in zip(cycles, cycles[1:])]
                once = max(steps)
                if 0 < once <= args.max_heap_step_kib:
                    growth -= once
                    print(f"soak: {name}: one step of {once} KiB not counted")
            if growth >= limit:
                failures.append(f"{name} grew by {growth} KiB after the first cycle")
    for line in failures:
        print("soak: " + line, file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
