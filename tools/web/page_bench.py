#!/usr/bin/env python3
"""The web page's frame time and download size, against the native frame,
measured side by side in one run.

    tools/web/page_bench.py --frame-bench build/debug/tools/bench/plumo_frame_bench \\
        --page-dir build/web/src/platform/web [--rounds 7] [--frames 600]

- native: plumo_frame_bench on a private 640x480x16 Xvfb (llvmpipe), wall
  time of N x (Render + SwapBuffers) after 30 untimed frames;
- page: headless Chromium on SwiftShader, the page's fixed-step run of
  30 + N frames, from the present of frame 30 to the present of the last
  (which waits for the GPU to finish), so each frame holds Render,
  SwapBuffers and the return to the browser's event loop;
- page on llvmpipe: the same, with Chromium's WebGL on Mesa's llvmpipe, which
  separates the browser's and the emulation's share from SwiftShader's.

The variants run in turn within each round, so load from elsewhere falls on
all of them; ratios are of medians. Sizes are gzip -9 of what the browser
downloads. Prints a Markdown table."""

import argparse
import datetime
import gzip
import os
import statistics
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "tests", "services"))
sys.path.insert(0, HERE)
from chromium import Chromium  # noqa: E402
from private_xvfb import Xvfb  # noqa: E402
from serve_page import PageServer  # noqa: E402

WARMUP = 30


def native_frame_ms(frame_bench, display, frames):
    out = subprocess.run([frame_bench, "--frames", str(frames), "--warmup", str(WARMUP)],
                         env=dict(os.environ, DISPLAY=display), capture_output=True, text=True,
                         check=True, timeout=600).stdout
    fields = dict(zip(*[iter(out.split("\n")[-2].split())] * 2))
    return float(fields["wall_s"]) * 1000 / frames, out


def page_frame_ms(server, renderer, frames, work_dir):
    log = os.path.join(work_dir, f"chromium-{renderer}.log")
    with Chromium("chromium", log, renderer) as browser:
        browser.open(f"{server.address}plumo.html?frames={WARMUP + frames + 1}&fps=60", 640, 540)
        browser.wait_for("window.Module && Module.plumo && Module.plumo.state.held", 900)
        at = browser.evaluate("Module.plumo.state.presentedAt")
        gl = browser.evaluate(
            "(() => { const g = document.createElement('canvas').getContext('webgl2');"
            " const e = g.getExtension('WEBGL_debug_renderer_info');"
            " return g.getParameter(e.UNMASKED_RENDERER_WEBGL); })()")
    return (at[WARMUP + frames] - at[WARMUP]) / frames, gl


def sizes(page_dir):
    rows = []
    for name in ("plumo.html", "plumo.js", "plumo.wasm"):
        with open(os.path.join(page_dir, name), "rb") as file:
            data = file.read()
        rows.append((name, len(data), len(gzip.compress(data, 9))))
    return rows


def cell(values, digits=2):
    return (f"{statistics.median(values):.{digits}f} "
            f"({min(values):.{digits}f}–{max(values):.{digits}f})")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--frame-bench", required=True)
    parser.add_argument("--page-dir", required=True)
    parser.add_argument("--rounds", type=int, default=7)
    parser.add_argument("--frames", type=int, default=600)
    args = parser.parse_args()

    times = {"native": [], "swiftshader": [], "llvmpipe": []}
    renderers = {}
    with tempfile.TemporaryDirectory(prefix="plumo-page-bench-") as work, \
            Xvfb("640x480x16", os.path.join(work, "xvfb.log")) as xvfb, \
            PageServer(args.page_dir) as server:
        load_before = os.getloadavg()
        for round_number in range(args.rounds):
            ms, out = native_frame_ms(args.frame_bench, xvfb.display, args.frames)
            times["native"].append(ms)
            renderers["native"] = out.split("\n")[0].replace("renderer ", "")
            for renderer in ("swiftshader", "llvmpipe"):
                ms, renderers[renderer] = page_frame_ms(server, renderer, args.frames, work)
                times[renderer].append(ms)
            print(f"round {round_number + 1}: " +
                  ", ".join(f"{k} {v[-1]:.2f} ms" for k, v in times.items()), file=sys.stderr)
        load_after = os.getloadavg()

    native = statistics.median(times["native"])
    now = datetime.datetime.now(datetime.timezone.utc).strftime("%Y-%m-%d %H:%M UTC")
    print(f"Measured {now}, {args.rounds} rounds of {args.frames} frames after {WARMUP} untimed "
          "ones; median (min–max), ratios of medians.\n")
    print("| frame, wall ms | native `plumo` (llvmpipe) | page, SwiftShader | page, llvmpipe |")
    print("|---|---|---|---|")
    print(f"| Render + swap | {cell(times['native'], 3)} | {cell(times['swiftshader'])} | "
          f"{cell(times['llvmpipe'])} |")
    print(f"| × native | 1 | {statistics.median(times['swiftshader']) / native:.1f} | "
          f"{statistics.median(times['llvmpipe']) / native:.1f} |")
    print()
    for key, text in renderers.items():
        print(f"- GL, {key}: {text}")
    print(f"- Load average (1, 5, 15 min) before: {' '.join(f'{v:.2f}' for v in load_before)}; "
          f"after: {' '.join(f'{v:.2f}' for v in load_after)}")
    print()
    print("| download | bytes | gzip -9 |")
    print("|---|---|---|")
    total, total_gz = 0, 0
    for name, raw, packed in sizes(args.page_dir):
        print(f"| `{name}` | {raw:,} | {packed:,} |")
        total += raw
        total_gz += packed
    print(f"| all | {total:,} | {total_gz:,} ({total_gz / 1024:.0f} KiB) |")


if __name__ == "__main__":
    main()
