"""The native program's presentation, end to end: its 640x480 picture scaled
onto a larger screen or window with the real display mode left alone, on bare
X, under window managers and on Wayland, and the real mode switch on request.

  letterbox    1280x1024x24 (which also offers 640x480, 800x600, 1024x768):
               the picture is 1280x960 between black 32-row bars for a whole
               cycle, the screen stays 1280x1024 throughout, and after
               kill -9 of the running demo; --screenshot saves the screen 9 s
               into the cycle (the README's picture)
  desktop      --desktop openbox|xfwm4 on 1280x1024x24: the window covers the
               screen as a fullscreen window, has the focus, shows the picture
               letterboxed; Escape ends it and nothing is left behind;
               --desktop weston (on an Xvfb of 1280x720, the program on
               Wayland with no DISPLAY): the picture 960x720 between bars of
               160 columns, Escape through weston's X11 window
  window-mode  --window under openbox: a 640x480 window; at 1000x600 the
               picture is 800x600 between bars left and right; Alt+Enter goes
               fullscreen (letterboxed) and back to the window
  real-switch  --switch-mode on 1280x1024x24 with a 640x480 mode: the real
               mode is 640x480 while the demo runs and 1280x1024 after Escape
"""

import collections
import os
import shutil
import signal
import subprocess

from e2e_desktops import wait_until
from e2e_letterbox import EDGE_PIXELS, Rect, fitted
from e2e_picture import CYCLE_SECONDS, HEIGHT, SLOT_SECONDS, TITLE, WIDTH
from e2e_picture_checks import check_bars, check_dropped, check_picture
from e2e_session import (Photos, Session, capture, client_geometry, describe, end_with_escape,
                         focus_of, fresh_dir, shows_caption, wait_for_geometry,
                         wait_for_picture, wait_for_window, window_state)

LARGE = "1280x1024x24"
LETTERBOX = Rect(0, 32, 1280, 960)  # where the picture fits on LARGE
# The first few captions, from the first one on: three changes of caption.
START_SECONDS = 3 * SLOT_SECONDS + 1.0
# A look later in the run: a caption change and a few grid colours.
LATER_SECONDS = SLOT_SECONDS + 1.0
FULLSCREEN = "_NET_WM_STATE_FULLSCREEN"
# Seconds after the first caption at which --screenshot saves the screen: the
# fifth caption, as in the README's other still.
SCREENSHOT_AT = 9.0


def bars_in_place(shot):
    return shot.lit_outside == 0 and min(shot.edges) >= EDGE_PIXELS


class ScreenWatch:
    """The screen's size after every screenshot: it must never change."""

    def __init__(self, display):
        self.display = display
        self.sizes = collections.Counter()

    def __call__(self, shot=None):
        self.sizes[self.display.screen_size()] += 1

    def check(self, report, expected):
        report.check(set(self.sizes) == {expected},
                     f"the screen stays {expected[0]}x{expected[1]} throughout (xrandr after "
                     f"each screenshot: {dict(self.sizes)})")


def case_letterbox(args, report):
    session = Session(args, report, LARGE, modes=True)
    shots_dir = fresh_dir(os.path.join(args.work_dir, "shots"))
    with session.start() as (program, display):
        window = wait_for_window(report, program, display, args.startup_timeout)
        photos = Photos(display, session.size, shots_dir)
        photos.look_at(LETTERBOX, session.smooth)
        watch = ScreenWatch(display)
        first = wait_for_picture(program, photos, args.startup_timeout)
        report.require(first is not None, "the scene is drawn (a caption shows)")
        geometry = client_geometry(display, window)
        report.check(geometry == (0, 0, *session.size),
                     f"the window covers the 1280x1024 screen (got {geometry})")
        saved = []

        def after_each(shot):
            watch(shot)
            # The README's picture: the screen about 9 s into the cycle.
            if args.screenshot and not saved and shot.start - first.start >= SCREENSHOT_AT:
                subprocess.run(["import", "-window", "root", f"png:{args.screenshot}"],
                               env=display.env, check=True, timeout=30)
                saved.append(shot.index)

        shots = capture(program, photos, CYCLE_SECONDS + 2 * SLOT_SECONDS + 1.0, args.period,
                        after_each)
        report.require(program.running(), f"the demo keeps running ({describe(program)})")
        report.note(f"{len(shots)} screenshots over {shots[-1].end - shots[0].start:.1f} s")
        if args.screenshot:
            report.check(saved, f"the screen is saved as {args.screenshot} after shot {saved}")

        os.killpg(program.process.pid, signal.SIGKILL)
        status = program.wait(30)
        report.note(f"killed with SIGKILL: status {status}")
        gone = wait_until(lambda: not display.windows(TITLE, visible=False), 10)
        report.check(gone, "the X server has removed the killed demo's window")
        after = display.screen_size()
        report.check(after == session.screen_before,
                     f"after kill -9 the screen is still {session.screen_before} (got {after})")
    watch.check(report, session.screen_before)
    check_bars(report, shots, "1280x1024 screen, picture in rows 32 to 991")
    check_dropped(report, shots)
    check_picture(report, shots, timeline="whole")
    if not report.failures and not args.keep_shots:
        shutil.rmtree(shots_dir, ignore_errors=True)


def case_desktop(args, report):
    weston = args.desktop == "weston"
    session = Session(args, report, "1280x720x24" if weston else LARGE, desktop=args.desktop,
                      modes=not weston)
    shots_dir = fresh_dir(os.path.join(args.work_dir, "shots"))
    expected = Rect(160, 0, 960, 720) if weston else LETTERBOX
    with session.start() as (program, display):
        desktop = session.desktop
        photos = Photos(display, session.size, shots_dir)
        photos.look_at(expected, session.smooth)
        watch = ScreenWatch(display)
        window = None
        if not weston:
            window = wait_for_window(report, program, display, args.startup_timeout)
        first = wait_for_picture(program, photos, args.startup_timeout)
        report.require(first is not None, f"the scene is drawn (a caption shows; program "
                                          f"{describe(program)})")
        if window:
            geometry = client_geometry(display, window)
            report.check(geometry == (0, 0, *session.size),
                         f"the window covers the {session.size[0]}x{session.size[1]} screen "
                         f"(got {geometry})")
            state = window_state(display, window)
            report.check(FULLSCREEN in state, f"{args.desktop} holds it as a fullscreen window "
                                              f"({state})")
            focus, active = focus_of(display)
            report.check(focus == window and active == window,
                         f"it has the keyboard focus and is the active window (focus {focus}, "
                         f"active {active}, window {window})")
        shots = capture(program, photos, START_SECONDS, args.period, watch)
        report.require(program.running(), f"the demo keeps running ({describe(program)})")
        if args.desktop == "xfwm4":
            report.check(desktop.compositing(), "xfwm4 is compositing while the demo runs")
        if weston:
            # Weston has had the X focus since it started; its kiosk shell
            # gives the keyboard to the demo.
            end_with_escape(report, program, display, desktop.window, focus=False)
            # Nothing of the demo's surface stays on weston's output.
            photos.look_at(Rect(0, 0, *session.size), smooth=False)
            cleared = wait_for_picture(None, photos, 10, accept=lambda shot: not (
                shot.lit_outside or any(shot.edges) or shot.white))
            report.check(cleared is not None, "weston's output is dark again after the exit")
        else:
            end_with_escape(report, program, display, window, focus=False)
        ended = desktop.ended()
        report.check(not ended, f"{args.desktop} is still running ({ended or 'all up'})")
        after = display.screen_size()
        report.check(after == session.screen_before,
                     f"the screen is {session.screen_before} after the exit (got {after})")
    watch.check(report, session.screen_before)
    check_bars(report, shots, f"{expected.width}x{expected.height} at {expected.x},{expected.y}")
    check_dropped(report, shots)
    # xfwm4 and weston composite: their repaint comes between swap and screen.
    check_picture(report, shots, timeline="start", clock=args.desktop == "openbox")
    if not report.failures and not args.keep_shots:
        shutil.rmtree(shots_dir, ignore_errors=True)


def case_window_mode(args, report):
    session = Session(args, report, LARGE, desktop="openbox", modes=True,
                      program_args=["--window"])
    shots_dir = fresh_dir(os.path.join(args.work_dir, "shots"))
    with session.start() as (program, display):
        window = wait_for_window(report, program, display, args.startup_timeout)
        photos = Photos(display, session.size, shots_dir)
        watch = ScreenWatch(display)
        x, y, width, height = client_geometry(display, window)
        report.check((width, height) == (WIDTH, HEIGHT),
                     f"the window's client area is {WIDTH}x{HEIGHT} (got {width}x{height})")
        report.check(FULLSCREEN not in window_state(display, window), "it is not fullscreen")
        area = Rect(x, y, width, height)
        photos.look_at(area, session.smooth, area)
        first = wait_for_picture(program, photos, args.startup_timeout)
        report.require(first is not None, "the scene is drawn (a caption shows)")
        shots = capture(program, photos, START_SECONDS, args.period, watch)
        check_bars(report, shots, "the 640x480 window")
        check_picture(report, shots, timeline="start")

        display.xdotool("windowsize", window, "1000", "600")
        x, y, width, height = wait_for_geometry(display, window, lambda g: g[2:] == (1000, 600),
                                                args.startup_timeout)
        report.require((width, height) == (1000, 600),
                       f"the window can be resized to 1000x600 (got {width}x{height})")
        area = Rect(x, y, width, height)
        show_and_check(report, program, photos, args, watch, Rect(x + 100, y, 800, 600), area,
                       session.smooth, "the 1000x600 window, picture 800x600 at 100,0")

        focus, _ = focus_of(display)
        report.check(focus == window, f"the window has the keyboard focus ({focus})")
        display.xdotool("key", "alt+Return")
        geometry = wait_for_geometry(display, window, lambda g: g == (0, 0, *session.size),
                                     args.startup_timeout)
        report.check(geometry == (0, 0, *session.size),
                     f"Alt+Enter: the window covers the screen (got {geometry})")
        report.check(FULLSCREEN in window_state(display, window), "it is fullscreen")
        show_and_check(report, program, photos, args, watch, LETTERBOX, None,
                       session.smooth, "fullscreen, picture 1280x960 at 0,32")

        display.xdotool("key", "alt+Return")
        # The layer sizes the window, then centres it: wait for both, or the
        # picture would be looked for where the window was between the two.
        def centred_window(g):
            return (g[2:] == (1000, 600) and abs(g[0] + 500 - session.size[0] // 2) <= 48
                    and abs(g[1] + 300 - session.size[1] // 2) <= 48)
        geometry = wait_for_geometry(display, window, centred_window, args.startup_timeout)
        report.check(centred_window(geometry),
                     f"Alt+Enter again: back to the 1000x600 window, centred (got {geometry})")
        report.check(FULLSCREEN not in window_state(display, window), "it is not fullscreen")
        area = Rect(*geometry)
        show_and_check(report, program, photos, args, watch, fitted(area), area,
                       session.smooth, "the window again")
        end_with_escape(report, program, display, window, focus=False)
        after = display.screen_size()
        report.check(after == session.screen_before,
                     f"the screen is {session.screen_before} after the exit (got {after})")
    watch.check(report, session.screen_before)
    if not report.failures and not args.keep_shots:
        shutil.rmtree(shots_dir, ignore_errors=True)


def show_and_check(report, program, photos, args, watch, rect, area, smooth, what):
    """Waits for the picture to be drawn in `rect`, then checks it there over
    a caption change."""
    photos.look_at(rect, smooth, area)
    shown = wait_for_picture(program, photos, args.startup_timeout,
                             accept=lambda shot: bars_in_place(shot) and shows_caption(shot))
    report.require(shown is not None, f"{what}: the picture is drawn there "
                                      f"(program {describe(program)}; see {photos.directory})")
    shots = capture(program, photos, LATER_SECONDS, args.period, watch)
    check_bars(report, shots, what)
    check_picture(report, shots, timeline=None)


def case_real_switch(args, report):
    session = Session(args, report, LARGE, modes=True, program_args=["--switch-mode"])
    with session.start() as (program, display):
        window = wait_for_window(report, program, display, args.startup_timeout)
        switched = wait_until(lambda: display.screen_size() == (WIDTH, HEIGHT),
                              args.startup_timeout, interval=0.1)
        report.check(switched, f"the real mode is {WIDTH}x{HEIGHT} while the demo runs "
                               f"(got {display.screen_size()})")
        photos = Photos(display, (WIDTH, HEIGHT), fresh_dir(os.path.join(args.work_dir, "shots")))
        first = wait_for_picture(program, photos, args.startup_timeout)
        report.require(first is not None, "the scene is drawn (a caption shows)")
        geometry = client_geometry(display, window)
        report.check(geometry == (0, 0, WIDTH, HEIGHT),
                     f"the window is {WIDTH}x{HEIGHT} at 0,0 (got {geometry})")
        end_with_escape(report, program, display, window)
        after = display.screen_size()
        report.check(after == session.screen_before,
                     f"the screen is {session.screen_before} again after the exit (got {after})")


PRESENTATION_CASES = {
    "letterbox": case_letterbox,
    "desktop": case_desktop,
    "window-mode": case_window_mode,
    "real-switch": case_real_switch,
}
