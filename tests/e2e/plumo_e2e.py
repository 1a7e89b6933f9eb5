#!/usr/bin/env python3
"""End-to-end checks of the whole Plumo program on a private X server.

The same observations serve both builds:

    plumo_e2e.py --case window --wine build/debug/windows/plumo.exe
    plumo_e2e.py --case picture build/release/src/platform/native/plumo

Every case starts its own Xvfb (the display number is chosen by the server
through -displayfd) and stops it afterwards. With --wine the program runs in a
Wine prefix kept inside the build tree; it is initialised once and reused, and
its wineserver is stopped at the end of every case.

Cases:
  prefix        only prepare the Wine prefix (a test fixture)
  window        the "Plumo" window is shown at 0,0 with a 640x480 client area;
                Escape ends the program within 2 s with status 0 and the screen
                keeps its size
  refused-mode  on a 1024x768x24 screen, where Wine cannot switch to 640x480x16,
                the program ends by itself with status 1 (Wine's answer: the
                native layer goes fullscreen at the desktop's size instead)
  large-screen  (native) on a 1024x768x24 screen without a 640x480 mode, the
                window goes fullscreen at 1024x768 and the demo runs; Escape ends it
  picture       the grid's colours and where they land, the caption's place,
                its change every two seconds and its return after 24 s, then
                Escape with status 0

Needs Python 3 (standard library only), Xvfb, xdotool, xrandr and ImageMagick's
`import`. Exits 0 when every check of the case holds. The services live in
e2e_services.py, the scene's numbers and the picture analysis in
e2e_picture.py.
"""

import argparse
import contextlib
import math
import os
import shutil
import sys
import time

from e2e_picture import (BLUE_BITS, BLUE_PER_COLUMN, CAPTION_BASELINE_ROW, CAPTION_SLOTS,
                         CAPTION_X, CYCLE_SECONDS, FONT_PIXELS, GREEN_AMPLITUDE, GREEN_BITS,
                         GRID_CELLS, HEIGHT, LEVEL_SLACK, RED, RED_BITS, SLOT_SECONDS, TITLE,
                         WIDTH, Camera, GridColours, Shot, blue_along_x, column_agreement,
                         green_range, mask_difference, quantised)
from e2e_services import (CheckFailed, Display, Program, Report, WinePrefix, Xvfb, base_env,
                          cpu_wait, session_members)

ESCAPE_DEADLINE = 2.0
# The shown frame trails the scene clock by up to one frame and a swap, which
# on a busy machine under Wine can take a few tenths of a second, and by as
# long again as the program and the X server waited for a CPU meanwhile (see
# Shot.lag): on a machine shared with other work that can be seconds.
FRAME_LAG = 0.3
# How far back a screenshot looks for that waiting.
LAG_WINDOW = 1.0
SCREENSHOT_BYTES = WIDTH * HEIGHT * 3


class Session:
    """One run of the program on a fresh X server."""

    def __init__(self, args, report, screen):
        self.args = args
        self.report = report
        self.screen = screen
        self.prefix = WinePrefix(args.wine_prefix) if args.wine else None

    @contextlib.contextmanager
    def start(self):
        work = self.args.work_dir
        with contextlib.ExitStack() as stack:
            if self.prefix:
                stack.enter_context(self.prefix.locked())
            xvfb = stack.enter_context(Xvfb(self.screen, os.path.join(work, "xvfb.log")))
            self.report.note(f"Xvfb {self.screen} on display {xvfb.display}")
            if self.prefix:
                self.prefix.ensure_ready(xvfb.display, self.report)
                stack.callback(self.prefix.stop, xvfb.display)
                env = self.prefix.env(xvfb.display)
                command = ["wine", self.args.program]
            else:
                env = base_env(xvfb.display)
                command = [self.args.program]
            display = Display(xvfb.display)
            self.screen_before = display.screen_size()
            program = Program(command, env, os.path.join(work, "program.log"))
            stack.callback(program.stop)
            self.xvfb = xvfb
            yield program, display


def wait_for_picture(report, program, display, shots_dir, timeout):
    """Screenshots until the caption shows: the end of loading."""
    deadline = time.monotonic() + timeout
    index = 0
    while time.monotonic() < deadline and program.running():
        path = os.path.join(shots_dir, f"wait-{index:03d}.rgb")
        shot = Shot(index, path, *display.grab(path, SCREENSHOT_BYTES))
        if shot.white:
            return shot
        index += 1
        time.sleep(0.1)
    return None


def describe(program):
    status = program.process.poll()
    return "running" if status is None else f"ended with {status}"


def end_with_escape(report, program, display, window):
    started = time.monotonic()
    display.press_escape(window)
    status = program.wait(30)
    took = time.monotonic() - started
    report.note(f"after Escape: status {status}, {took:.2f} s")
    report.check(status == 0, f"Escape ends the program with status 0 (got {status})")
    report.check(status is not None and took <= ESCAPE_DEADLINE,
                 f"it ends within {ESCAPE_DEADLINE:.0f} s of the key ({took:.2f} s)")
    report.check(not display.windows(TITLE, visible=False), "no \"Plumo\" window is left")


def case_prefix(args, report):
    if not args.wine:
        report.note("no Wine prefix to prepare for a native program")
        return
    prefix = WinePrefix(args.wine_prefix)
    with prefix.locked(), Xvfb("640x480x16", os.path.join(args.work_dir, "xvfb.log")) as xvfb:
        try:
            prefix.ensure_ready(xvfb.display, report)
        finally:
            prefix.stop(xvfb.display)
    report.check(os.path.exists(os.path.join(prefix.path, WinePrefix.READY)),
                 "the Wine prefix is ready")


def case_window(args, report):
    session = Session(args, report, "640x480x16")
    with session.start() as (program, display):
        window = display.wait_for_window(program, TITLE, args.startup_timeout)
        report.require(window is not None, f"a visible window titled \"{TITLE}\" appears "
                                           f"(program status: {describe(program)})")
        report.note(f"window {window} after {time.monotonic() - program.started:.1f} s")
        geometry = display.geometry(window)
        report.check(geometry == (0, 0, WIDTH, HEIGHT),
                     f"the window is {WIDTH}x{HEIGHT} at 0,0 (got {geometry})")
        shots = os.path.join(args.work_dir, "shots")
        os.makedirs(shots, exist_ok=True)
        first = wait_for_picture(report, program, display, shots, args.startup_timeout)
        report.require(first is not None, "the scene is drawn (a caption shows)")
        end_with_escape(report, program, display, window)
        after = display.screen_size()
        report.check(after == session.screen_before,
                     f"the screen is {session.screen_before} again after the exit (got {after})")


def case_refused_mode(args, report):
    session = Session(args, report, "1024x768x24")
    with session.start() as (program, display):
        seen = None
        deadline = time.monotonic() + args.startup_timeout
        while program.running() and time.monotonic() < deadline:
            if seen is None and display.windows(TITLE, visible=False):
                seen = time.monotonic() - program.started
            time.sleep(0.05)
        status = program.wait(0)
        took = time.monotonic() - program.started
        report.note(f"window {'seen after %.1f s' % seen if seen is not None else 'never seen'}; "
                    f"program ended after {took:.1f} s with status {status}")
        report.check(status is not None, "the program ends by itself")
        report.check(status == 1, f"its status is 1 (got {status})")
        report.check(not display.windows(TITLE, visible=False), "no \"Plumo\" window is left")
        after = display.screen_size()
        report.check(after == session.screen_before,
                     f"the screen keeps its size {session.screen_before} (got {after})")


def case_large_screen(args, report):
    """A screen with no 640x480 mode: the native layer makes the window
    fullscreen at the desktop's own size and the demo runs there."""
    session = Session(args, report, "1024x768x24")
    with session.start() as (program, display):
        window = display.wait_for_window(program, TITLE, args.startup_timeout)
        report.require(window is not None, f"a visible window titled \"{TITLE}\" appears "
                                           f"(program status: {describe(program)})")
        time.sleep(3)
        report.require(program.running(), f"the demo keeps running ({describe(program)})")
        geometry = display.geometry(window)
        report.check(geometry == (0, 0, 1024, 768),
                     f"the window covers the 1024x768 screen (got {geometry})")
        end_with_escape(report, program, display, window)
        after = display.screen_size()
        report.check(after == session.screen_before,
                     f"the screen keeps its size {session.screen_before} (got {after})")


def capture(report, program, display, xvfb, shots_dir, seconds, period):
    """Screenshots at a steady pace for `seconds`, each with its timing and
    how long the frame it shows may trail the scene clock."""
    shots, waits = [], []  # waits: (time, CPU wait of the program and the X server)
    end = time.monotonic() + seconds
    while time.monotonic() < end and program.running():
        watched = session_members(program.process.pid) + [xvfb.process.pid]
        waits.append((time.monotonic(), cpu_wait(watched)))
        path = os.path.join(shots_dir, f"shot-{len(shots):03d}.rgb")
        shots.append(Shot(len(shots), path, *display.grab(path, SCREENSHOT_BYTES)))
        waited = cpu_wait(watched) - next(w for t, w in waits if t >= shots[-1].start - LAG_WINDOW)
        shots[-1].lag = FRAME_LAG + waited
        time.sleep(max(0.0, period - (shots[-1].end - shots[-1].start)))
    report.note(f"the frames shown trailed by up to {max(s.lag for s in shots):.2f} s "
                f"(CPU waits included)")
    return shots


def caption_runs(report, shots):
    """Consecutive screenshots with the same caption, as lists of shots.

    A screenshot that matches neither its predecessor nor its successor, while
    they match each other or several screenshots fall in a slot, caught a
    frame half presented: it is set aside and counted.
    """
    runs = []
    for shot in shots:
        if not shot.white:
            continue  # the frame at the end of the cycle shows no caption
        if runs and mask_difference(runs[-1][-1], shot) <= 0.02:
            runs[-1].append(shot)
        else:
            runs.append([shot])
    kept, torn = [], 0
    for i, run in enumerate(runs):
        lone = len(run) == 1 and 0 < i < len(runs) - 1
        if lone and len(runs[i - 1]) >= 2 and len(runs[i + 1]) >= 2:
            torn += 1
            continue
        if kept and mask_difference(kept[-1][-1], run[0]) <= 0.02:
            kept[-1].extend(run)  # the two sides of a set-aside screenshot
        else:
            kept.append(run)
    blank = sum(1 for shot in shots if not shot.white)
    report.note(f"{torn} screenshot(s) set aside as half presented, {blank} without a caption")
    report.check(torn <= 2, "at most 2 screenshots catch a frame half presented")
    report.check(blank <= 2, "at most 2 screenshots show no caption (the cycle's reset frame)")
    return kept


def scene_origin(report, runs):
    """Bounds of the wall-clock moment at which the scene clock was 0.

    The change from slot k-1 to slot k shows between the last screenshot of
    one run and the first of the next, no earlier than 2k s after the origin
    and no later than a frame after that.
    """
    low, high = -math.inf, math.inf
    for k in range(1, min(len(runs), CAPTION_SLOTS)):
        before, after = runs[k - 1][-1], runs[k][0]
        low = max(low, before.start - SLOT_SECONDS * k - before.lag)
        high = min(high, after.end - SLOT_SECONDS * k)
    return low, high


def check_caption_place(report, shots):
    lefts, tops, bottoms, above = [], [], [], []
    for shot in shots:
        pixels = shot.white_pixels()
        xs = [x for x, _ in pixels]
        ys = [y for _, y in pixels]
        lefts.append(min(xs))
        tops.append(min(ys))
        bottoms.append(max(ys))
        above.append(sum(1 for y in ys if y < CAPTION_BASELINE_ROW) / len(ys))
    report.note(f"caption box over {len(shots)} screenshots: left {min(lefts)}..{max(lefts)}, "
                f"top {min(tops)}..{max(tops)}, bottom {min(bottoms)}..{max(bottoms)}, "
                f"share above row {CAPTION_BASELINE_ROW}: {min(above):.2f}..{max(above):.2f}")
    # The first glyph's left bearing is a few pixels of a 48-pixel face.
    report.check(all(CAPTION_X - 4 <= x <= CAPTION_X + 10 for x in lefts),
                 f"the leftmost caption pixel is near x = {CAPTION_X:.0f}")
    report.check(all(y >= CAPTION_BASELINE_ROW - FONT_PIXELS for y in tops),
                 f"no caption pixel is more than {FONT_PIXELS} px above the baseline row")
    report.check(all(y <= CAPTION_BASELINE_ROW + FONT_PIXELS // 3 for y in bottoms),
                 "only descenders reach below the baseline row")
    report.check(all(share >= 0.8 for share in above),
                 f"most caption pixels lie above row {CAPTION_BASELINE_ROW}")


def check_timeline(report, runs, shots):
    report.note("caption runs: " + ", ".join(
        f"{len(run)}x[{run[0].start - runs[0][0].start:.1f}..{run[-1].end - runs[0][0].start:.1f}]"
        for run in runs))
    report.require(len(runs) >= CAPTION_SLOTS + 1,
                   f"{CAPTION_SLOTS} captions and the first again are seen (got {len(runs)} runs)")
    low, high = scene_origin(report, runs)
    report.note(f"scene clock 0 at {low - runs[0][0].start:+.2f}..{high - runs[0][0].start:+.2f} s "
                f"from the first caption screenshot")
    report.require(low <= high, "every caption change falls on a multiple of 2 s of one clock")
    report.check(runs[0][0].end >= low and runs[0][0].start <= high + SLOT_SECONDS,
                 "the first caption seen is the one of the first two seconds")
    # The cycle restarts at the first frame at or after 24 s.
    returned = runs[CAPTION_SLOTS][0]
    report.check(low + CYCLE_SECONDS - 0.1 <= returned.end
                 and returned.start <= high + CYCLE_SECONDS + returned.lag + 0.5,
                 f"the first caption returns {CYCLE_SECONDS:.0f} s after the clock's start "
                 f"({returned.start - runs[0][0].start:.1f} s after it was first seen)")
    for k in range(CAPTION_SLOTS, len(runs)):
        difference = mask_difference(runs[k][0], runs[k - CAPTION_SLOTS][0])
        report.check(difference <= 0.05,
                     f"caption {k - CAPTION_SLOTS + 1} of the second cycle matches the first "
                     f"({difference:.3f} of its pixels differ)")
    distinct = all(mask_difference(runs[a][0], runs[b][0]) > 0.3
                   for a in range(CAPTION_SLOTS) for b in range(a))
    report.check(distinct, f"the {CAPTION_SLOTS} captions of a cycle all differ")
    pairs = changed = 0
    for i, shot in enumerate(shots):
        later = next((s for s in shots[i + 1:]
                      if s.start >= shot.end + SLOT_SECONDS + s.lag), None)
        if later is None or not shot.white or not later.white:
            continue
        pairs += 1
        changed += mask_difference(shot, later) > 0.3
    report.check(pairs > 0 and changed == pairs,
                 f"screenshots 2 s apart show different captions ({changed} of {pairs} pairs)")
    return low, high


def scene_times(shot, low, high):
    """The scene-time spans a screenshot can show, given the clock's start.

    Near the end of a cycle it may show either the last frames of the first
    cycle or, after the reset, the first of the second.
    """
    spans = []
    for cycle in (0, 1):
        t_low = shot.start - high - shot.lag - cycle * (CYCLE_SECONDS + shot.lag)
        t_high = shot.end - low - cycle * CYCLE_SECONDS
        t_low, t_high = max(t_low, 0.0), min(t_high, CYCLE_SECONDS + shot.lag)
        if t_low <= t_high:
            spans.append((t_low, t_high))
    return spans


def check_grid(report, shots, low, high):
    """Colours of the grid against its numbers, on every third screenshot."""
    camera = Camera()
    red_expected = quantised(RED, RED_BITS)
    blue_levels = [quantised(BLUE_PER_COLUMN * c, BLUE_BITS) for c in range(GRID_CELLS)]
    sampled = shots[::3]
    greens_seen = []
    good = 0
    for n, shot in enumerate(sampled):
        colours = GridColours(shot.pixels())
        red_share = colours.share(lambda c: abs(c[0] - red_expected) <= LEVEL_SLACK)
        blue_share = colours.share(
            lambda c: any(abs(c[2] - level) <= LEVEL_SLACK for level in blue_levels))
        green = colours.dominant_green()
        green_share = (colours.share(lambda c: abs(c[1] - green) <= LEVEL_SLACK)
                       if green is not None else 0.0)
        times = scene_times(shot, low, high)
        if not times:
            report.note(f"shot {shot.index} falls outside the two cycles the clock allows")
            continue
        g_low = min(green_range(*span)[0] for span in times)
        g_high = max(green_range(*span)[1] for span in times)
        t_low, t_high = times[0]
        greens_seen.append(((t_low + t_high) / 2, green))
        ok = (colours.total >= 0.05 * WIDTH * HEIGHT and red_share >= 0.99
              and blue_share >= 0.99 and green_share >= 0.99
              and green is not None and g_low - LEVEL_SLACK <= green <= g_high + LEVEL_SLACK)
        good += ok
        if not ok or n == 0:
            report.note(f"shot {shot.index} at scene time {t_low:.2f}..{t_high:.2f} s: "
                        f"{colours.total} grid px; red {red_expected:.0f} on {red_share:.3f}, "
                        f"a column's blue on {blue_share:.3f}, green {green} (expected "
                        f"{g_low:.0f}..{g_high:.0f}) on {green_share:.3f}")
    report.check(good == len(sampled),
                 f"{good} of {len(sampled)} screenshots show a grid of red 0.2, "
                 f"green max(0, 0.3 sin t) and blue 0.025 x column")
    report.note("grid green by scene time: "
                + " ".join(f"{t:.1f}s:{g}" for t, g in greens_seen))
    peak = quantised(GREEN_AMPLITUDE, GREEN_BITS)
    greens = [g for _, g in greens_seen if g is not None]
    report.check(greens and min(greens) == 0 and max(greens) >= 0.6 * peak,
                 f"the green pulses between 0 and up to {peak:.0f}")

    for shot in (sampled[0], sampled[len(sampled) // 2], sampled[-1]):
        data = shot.pixels()
        agree, total, outside = column_agreement(camera, data)
        r, direction = blue_along_x(camera, data)
        report.note(f"shot {shot.index}: {agree} of {total} grid px show a blue their column "
                    f"can have, {outside} outside the grid's reach; blue against screen "
                    f"direction ({direction[0]:.2f}, {direction[1]:.2f}) of world +x: "
                    f"correlation {r:.2f}")
        report.check(total and agree >= 0.995 * total and outside <= 0.001 * total,
                     f"shot {shot.index}: each grid pixel's blue belongs to a column its "
                     f"eye ray can meet")
        report.check(r >= 0.5, f"shot {shot.index}: blue grows along world +x on screen")


def case_picture(args, report):
    session = Session(args, report, "640x480x16")
    shots_dir = os.path.join(args.work_dir, "shots")
    shutil.rmtree(shots_dir, ignore_errors=True)
    os.makedirs(shots_dir)
    with session.start() as (program, display):
        window = display.wait_for_window(program, TITLE, args.startup_timeout)
        report.require(window is not None, f"a visible window titled \"{TITLE}\" appears "
                                           f"(program status: {describe(program)})")
        first = wait_for_picture(report, program, display, shots_dir, args.startup_timeout)
        report.require(first is not None, "the scene is drawn (a caption shows)")
        report.note(f"first caption {first.start - program.started:.1f} s after the start")
        # Two cycles' worth of the first two slots: 24 s, then the first and
        # second captions again.
        shots = capture(report, program, display, session.xvfb, shots_dir,
                        CYCLE_SECONDS + 2 * SLOT_SECONDS + 1.0, args.period)
        report.require(program.running(), "the program keeps running")
        report.note(f"{len(shots)} screenshots over {shots[-1].end - shots[0].start:.1f} s")
        end_with_escape(report, program, display, window)

    runs = caption_runs(report, shots)
    captioned = [shot for run in runs for shot in run]
    check_caption_place(report, captioned)
    low, high = check_timeline(report, runs, captioned)
    check_grid(report, captioned, low, high)
    if not report.failures and not args.keep_shots:
        shutil.rmtree(shots_dir, ignore_errors=True)


CASES = {
    "prefix": case_prefix,
    "window": case_window,
    "refused-mode": case_refused_mode,
    "large-screen": case_large_screen,
    "picture": case_picture,
}


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--case", choices=sorted(CASES), required=True)
    parser.add_argument("--wine", action="store_true",
                        help="run the program (a Windows .exe) with wine")
    parser.add_argument("--wine-prefix", help="the Wine prefix (default: WORK_DIR/../wineprefix)")
    parser.add_argument("--work-dir", default=None,
                        help="logs and screenshots (default: ./e2e-CASE)")
    parser.add_argument("--startup-timeout", type=float, default=90.0,
                        help="seconds for the window and the first picture to show")
    parser.add_argument("--period", type=float, default=0.25,
                        help="seconds between screenshots in the picture case")
    parser.add_argument("--keep-shots", action="store_true",
                        help="keep the raw screenshots of a passing picture case")
    parser.add_argument("program", nargs="?", help="plumo.exe with --wine, else the native plumo")
    args = parser.parse_args()
    if args.case != "prefix" and not args.program:
        parser.error("the program to run is needed")
    args.work_dir = os.path.abspath(args.work_dir or f"e2e-{args.case}")
    os.makedirs(args.work_dir, exist_ok=True)
    if not args.wine_prefix:
        args.wine_prefix = os.path.join(os.path.dirname(args.work_dir), "wineprefix")
    if args.program:
        args.program = os.path.abspath(args.program)

    report = Report(args.case)
    try:
        CASES[args.case](args, report)
    except CheckFailed:
        pass
    except Exception as error:  # a service that would not start is a failure too
        report.failures.append(f"{type(error).__name__}: {error}")
        report.note(f"FAILED: {type(error).__name__}: {error}")
    if report.failures:
        log = os.path.join(args.work_dir, "program.log")
        if os.path.exists(log):
            with open(log, "rb") as f:
                tail = f.read().decode(errors="replace").splitlines()[-15:]
            report.note("program output (last lines):\n  " + "\n  ".join(tail))
        report.note(f"{len(report.failures)} check(s) failed; files in {args.work_dir}")
        return 1
    report.note("all checks passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
