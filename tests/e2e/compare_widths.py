#!/usr/bin/env python3
"""The native layer's GetCharWidthA against Windows' own, side by side: the
same probe source built natively and for Windows dumps the advances of codes
32 to 126 of "Arial" bold at -48; run on one Xvfb, the two must agree within
one pixel per code."""
import argparse
import os
import subprocess
import sys

from e2e_services import WinePrefix, Xvfb, base_env


def widths(command, env):
    result = subprocess.run(command, env=env, capture_output=True, text=True, timeout=300)
    if result.returncode != 0:
        raise RuntimeError(f"{command[-1]} exited with {result.returncode}: {result.stderr.strip()}")
    return {int(code): int(width) for code, width in
            (line.split() for line in result.stdout.splitlines() if line.strip())}


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--native", required=True, help="the native plumo_char_widths")
    parser.add_argument("--windows", required=True, help="plumo_char_widths.exe")
    parser.add_argument("--wine-prefix", required=True)
    parser.add_argument("--work-dir", required=True)
    args = parser.parse_args()
    os.makedirs(args.work_dir, exist_ok=True)

    prefix = WinePrefix(args.wine_prefix)
    with prefix.locked(), Xvfb("640x480x24", os.path.join(args.work_dir, "xvfb.log")) as xvfb:
        try:
            native = widths([args.native], base_env(xvfb.display))
            windows = widths(["wine", args.windows], prefix.env(xvfb.display))
        finally:
            prefix.stop(xvfb.display)

    codes = range(32, 127)
    missing = [code for code in codes if code not in native or code not in windows]
    apart = [(code, native[code], windows[code]) for code in codes
             if code not in missing and abs(native[code] - windows[code]) > 1]
    exact = sum(1 for code in codes if code not in missing and native[code] == windows[code])
    print(f"compare-widths: {exact} of {len(codes)} codes equal, {len(apart)} more than 1 px apart")
    for code, mine, theirs in apart:
        print(f"compare-widths: {chr(code)!r} ({code}): native {mine}, Windows build {theirs}",
              file=sys.stderr)
    if missing:
        print(f"compare-widths: no width for codes {missing}", file=sys.stderr)
    return 1 if apart or missing else 0


if __name__ == "__main__":
    sys.exit(main())
