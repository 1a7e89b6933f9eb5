#!/usr/bin/env python3
"""The swap probe counts presents, not the calls inside them: the floor
program presents once with GL, and Mesa's software GLX puts that frame with
XShmPutImage inside its swap, so one present must come out as one line.

    swap_probe_test.py SWAP_PROBE_SO FLOOR_START"""

import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "services"))
from private_xvfb import Xvfb  # noqa: E402


def main():
    probe_library, floor_start = sys.argv[1:3]
    with tempfile.TemporaryDirectory() as work, \
            Xvfb("640x480x24", os.path.join(work, "xvfb.log")) as xvfb:
        lines = os.path.join(work, "presents.txt")
        env = dict(os.environ, DISPLAY=xvfb.display, LD_PRELOAD=probe_library,
                   PLUMO_SWAP_PROBE_FILE=lines, PLUMO_SWAP_PROBE_AT="0")
        env.pop("WAYLAND_DISPLAY", None)
        subprocess.run([floor_start], env=env, check=True, timeout=60)
        with open(lines) as presents:
            counted = [line for line in presents if line.startswith("swap=")]
    if len(counted) != 1:
        print(f"one present, {len(counted)} counted: {counted}")
        return 1
    print("one present, one line")
    return 0


if __name__ == "__main__":
    sys.exit(main())
