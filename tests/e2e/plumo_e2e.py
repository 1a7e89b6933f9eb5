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
  letterbox, desktop, window-mode, real-switch
                (native) the picture scaled onto larger screens and windows, on
                bare X, openbox, xfwm4 and weston: see e2e_presentation_cases.py
  hidden, lost-compositor
                (native) nothing drawn while minimised, and a lost Wayland
                compositor: see e2e_pacing_cases.py
  saver-daemon, saver-window, screensaver-inhibit
                (native) screensaver mode under the X screensaver daemon and in
                a window of the test's own, and the system's screensaver held
                off or let run: see e2e_screensaver.py
  window-memory (native) the window's place kept in the settings file for the
                next run, under openbox: see e2e_habits_cases.py
  present-paths (native; the program is plumo_present_still) the presentation
                with GL and without it show the same screen: see
                e2e_present_paths.py

--program-arg passes an argument on to the program (the native one's
--switch-mode, --scale, --filter, ...); the picture checks expect the default
scaling, so a case run with another one shows what they catch.

Needs Python 3 (standard library only), Xvfb, xdotool, xrandr, xprop and
ImageMagick's `import`, and for the desktops openbox, xfwm4, dbus-daemon and
weston, and for screensaver mode xscreensaver and setpriv. Exits 0 when every
check of the case holds. The pieces:
e2e_services.py (X server, Wine prefix, program, X queries), e2e_desktops.py
(window managers and weston), e2e_session.py (one run and its screenshots),
e2e_letterbox.py (where a scaled picture lands, read back), e2e_picture.py
(the scene's numbers and picture analysis), e2e_picture_checks.py (the
checks on them).
"""

import argparse
import os
import shutil
import sys
import time

from e2e_letterbox import Rect, fitted
from e2e_picture import CYCLE_SECONDS, HEIGHT, SLOT_SECONDS, TITLE, WIDTH
from e2e_picture_checks import check_bars, check_picture
from e2e_pacing_cases import PACING_CASES
from e2e_habits_cases import HABITS_CASES
from e2e_present_paths import PRESENT_PATHS_CASES
from e2e_presentation_cases import PRESENTATION_CASES
from e2e_screensaver import SCREENSAVER_CASES
from e2e_services import CheckFailed, Report, WinePrefix, Xvfb
from e2e_session import (Photos, Session, capture, describe, end_with_escape, fresh_dir,
                         wait_for_picture, wait_for_window)


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
        window = wait_for_window(report, program, display, args.startup_timeout)
        geometry = display.geometry(window)
        report.check(geometry == (0, 0, WIDTH, HEIGHT),
                     f"the window is {WIDTH}x{HEIGHT} at 0,0 (got {geometry})")
        photos = Photos(display, session.size, fresh_dir(os.path.join(args.work_dir, "shots")))
        first = wait_for_picture(program, photos, args.startup_timeout)
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
        window = wait_for_window(report, program, display, args.startup_timeout)
        photos = Photos(display, session.size, fresh_dir(os.path.join(args.work_dir, "shots")))
        # 4:3 like the picture, so the picture fills the screen either way.
        photos.look_at(fitted(Rect(0, 0, *session.size)), session.smooth)
        first = wait_for_picture(program, photos, args.startup_timeout)
        report.require(first is not None, "the scene is drawn (a caption shows)")
        report.require(program.running(), f"the demo keeps running ({describe(program)})")
        geometry = display.geometry(window)
        report.check(geometry == (0, 0, 1024, 768),
                     f"the window covers the 1024x768 screen (got {geometry})")
        end_with_escape(report, program, display, window)
        after = display.screen_size()
        report.check(after == session.screen_before,
                     f"the screen keeps its size {session.screen_before} (got {after})")


def case_picture(args, report):
    session = Session(args, report, "640x480x16")
    shots_dir = fresh_dir(os.path.join(args.work_dir, "shots"))
    with session.start() as (program, display):
        window = wait_for_window(report, program, display, args.startup_timeout)
        photos = Photos(display, session.size, shots_dir)
        first = wait_for_picture(program, photos, args.startup_timeout)
        report.require(first is not None, "the scene is drawn (a caption shows)")
        report.note(f"first caption {first.start - program.started:.1f} s after the start")
        # Two cycles' worth of the first two slots: 24 s, then the first and
        # second captions again.
        shots = capture(program, photos, CYCLE_SECONDS + 2 * SLOT_SECONDS + 1.0, args.period)
        report.require(program.running(), "the program keeps running")
        report.note(f"{len(shots)} screenshots over {shots[-1].end - shots[0].start:.1f} s")
        end_with_escape(report, program, display, window)

    check_bars(report, shots, "the 640x480 screen")
    check_picture(report, shots, timeline="whole")
    if not report.failures and not args.keep_shots:
        shutil.rmtree(shots_dir, ignore_errors=True)


CASES = {
    "prefix": case_prefix,
    "window": case_window,
    "refused-mode": case_refused_mode,
    "large-screen": case_large_screen,
    "picture": case_picture,
    **PRESENTATION_CASES,
    **PACING_CASES,
    **SCREENSAVER_CASES,
    **HABITS_CASES,
    **PRESENT_PATHS_CASES,
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
    parser.add_argument("--desktop", choices=["openbox", "xfwm4", "weston"], default="openbox",
                        help="the desktop of the desktop case")
    parser.add_argument("--screenshot", metavar="PNG",
                        help="letterbox and saver-daemon cases: also save the screen 9 s "
                             "into the cycle")
    parser.add_argument("--program-arg", action="append", metavar="ARG",
                        help="an argument for the program (repeatable; write "
                             "--program-arg=--switch-mode for one that starts with --)")
    parser.add_argument("--swap-probe", metavar="SO",
                        help="the benchmark's swap_probe.so, for the cases that count swaps")
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
    if args.screenshot:
        args.screenshot = os.path.abspath(args.screenshot)

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
