"""Screensaver mode end to end: the native program as a hack of the X
screensaver daemon, drawing into a window it is given, and the system's own
screensaver held off or let run.

  saver-daemon  xscreensaver, run as an unprivileged user with a home of its
                own whose ~/.xscreensaver has plumo as its only hack, on
                1280x1024x24 with no window manager. Activated, the daemon
                starts `plumo --root` on its window: the picture is fitted
                into it (1280x960 between 32-row bars) and no window of
                plumo's own shows. Deactivated, the daemon ends the hack with
                SIGTERM: it ends within 2 s with status 0, and nothing of it
                is left. --screenshot saves the screen 9 s into the cycle.
  saver-window  XSCREENSAVER_WINDOW names a 480x240 window of the test's own
                at 64,48 (with --root, as a daemon runs its hacks): the picture
                is 320x240 in its middle, the window keeps its place and size,
                the keyboard focus stays where it was and nothing is grabbed;
                resized to 400x400 the picture is 400x300 at its middle rows;
                the window destroyed, the program ends with status 0.
  screensaver-inhibit
                the X server's own screensaver (MIT-SCREEN-SAVER, a 1 s
                timeout) stays off while plumo plays fullscreen, and comes on
                with --allow-screensaver and in screensaver mode.
"""

import contextlib
import ctypes
import os
import pwd
import re
import shutil
import signal
import subprocess
import tempfile
import time

from e2e_desktops import Service, wait_until
from e2e_letterbox import Rect, fitted
from e2e_picture import TITLE
from e2e_picture_checks import check_bars, check_picture
from e2e_services import Display, Program, Xvfb, base_env, cpu_wait
from e2e_session import (Photos, capture, client_geometry, describe, fresh_dir, shows_caption,
                         wait_for_picture)

LARGE = "1280x1024x24"
LETTERBOX = Rect(0, 32, 1280, 960)
SLOT_SECONDS = 2.0
# The first captions from the first one on (three changes), and a later look.
START_SECONDS = 3 * SLOT_SECONDS + 1.0
LATER_SECONDS = SLOT_SECONDS + 1.0
SCREENSHOT_AT = 9.0
END_DEADLINE = 2.0
PR_SET_CHILD_SUBREAPER = 36


# ----------------------------------------------------------------------------
# The X side the command-line tools do not reach: a window of the test's own,
# grabs, the focus and the server's screensaver, through Xlib itself.


def _xlib():
    xlib = ctypes.CDLL("libX11.so.6")
    signatures = {
        "XOpenDisplay": (ctypes.c_void_p, [ctypes.c_char_p]),
        "XCloseDisplay": (ctypes.c_int, [ctypes.c_void_p]),
        "XDefaultRootWindow": (ctypes.c_ulong, [ctypes.c_void_p]),
        "XCreateSimpleWindow": (ctypes.c_ulong, [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int,
                                                 ctypes.c_int, ctypes.c_uint, ctypes.c_uint,
                                                 ctypes.c_uint, ctypes.c_ulong, ctypes.c_ulong]),
        "XStoreName": (ctypes.c_int, [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_char_p]),
        "XMapWindow": (ctypes.c_int, [ctypes.c_void_p, ctypes.c_ulong]),
        "XResizeWindow": (ctypes.c_int, [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_uint,
                                         ctypes.c_uint]),
        "XDestroyWindow": (ctypes.c_int, [ctypes.c_void_p, ctypes.c_ulong]),
        "XSync": (ctypes.c_int, [ctypes.c_void_p, ctypes.c_int]),
        "XGetInputFocus": (ctypes.c_int, [ctypes.c_void_p, ctypes.POINTER(ctypes.c_ulong),
                                          ctypes.POINTER(ctypes.c_int)]),
        "XGrabKeyboard": (ctypes.c_int, [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int,
                                         ctypes.c_int, ctypes.c_int, ctypes.c_ulong]),
        "XUngrabKeyboard": (ctypes.c_int, [ctypes.c_void_p, ctypes.c_ulong]),
        "XGrabPointer": (ctypes.c_int, [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int,
                                        ctypes.c_uint, ctypes.c_int, ctypes.c_int,
                                        ctypes.c_ulong, ctypes.c_ulong, ctypes.c_ulong]),
        "XUngrabPointer": (ctypes.c_int, [ctypes.c_void_p, ctypes.c_ulong]),
    }
    for name, (restype, argtypes) in signatures.items():
        getattr(xlib, name).restype = restype
        getattr(xlib, name).argtypes = argtypes
    return xlib


class _SaverInfo(ctypes.Structure):
    _fields_ = [("window", ctypes.c_ulong), ("state", ctypes.c_int), ("kind", ctypes.c_int),
                ("til_or_since", ctypes.c_ulong), ("idle", ctypes.c_ulong),
                ("event_mask", ctypes.c_ulong)]


class XClient:
    """A connection of the test's own to the case's X server."""

    GRAB_SUCCESS = 0
    GRAB_MODE_ASYNC = 1
    SAVER_STATES = {0: "off", 1: "on", 3: "disabled"}

    def __init__(self, display):
        self.xlib = _xlib()
        self.connection = self.xlib.XOpenDisplay(display.encode())
        if not self.connection:
            raise RuntimeError(f"cannot open the display {display}")
        self.root = self.xlib.XDefaultRootWindow(self.connection)

    def close(self):
        self.xlib.XCloseDisplay(self.connection)

    def create_window(self, rect, title):
        """A mapped window with a black background; its id."""
        window = self.xlib.XCreateSimpleWindow(self.connection, self.root, rect.x, rect.y,
                                               rect.width, rect.height, 0, 0, 0)
        self.xlib.XStoreName(self.connection, window, title.encode())
        self.xlib.XMapWindow(self.connection, window)
        self.xlib.XSync(self.connection, 0)
        return window

    def resize(self, window, width, height):
        self.xlib.XResizeWindow(self.connection, window, width, height)
        self.xlib.XSync(self.connection, 0)

    def destroy(self, window):
        self.xlib.XDestroyWindow(self.connection, window)
        self.xlib.XSync(self.connection, 0)

    def focus(self):
        window, revert = ctypes.c_ulong(), ctypes.c_int()
        self.xlib.XGetInputFocus(self.connection, ctypes.byref(window), ctypes.byref(revert))
        return window.value

    def free_grabs(self):
        """(keyboard, pointer): whether the test can grab each, so that no
        other client holds it; what it grabs it lets go at once."""
        xlib, c = self.xlib, self.connection
        keyboard = xlib.XGrabKeyboard(c, self.root, 0, self.GRAB_MODE_ASYNC,
                                      self.GRAB_MODE_ASYNC, 0) == self.GRAB_SUCCESS
        if keyboard:
            xlib.XUngrabKeyboard(c, 0)
        pointer = xlib.XGrabPointer(c, self.root, 0, 0, self.GRAB_MODE_ASYNC,
                                    self.GRAB_MODE_ASYNC, 0, 0, 0) == self.GRAB_SUCCESS
        if pointer:
            xlib.XUngrabPointer(c, 0)
        xlib.XSync(c, 0)
        return keyboard, pointer

    def saver_state(self):
        """The X server's own screensaver: "off", "on" or "disabled"."""
        xss = ctypes.CDLL("libXss.so.1")
        xss.XScreenSaverQueryInfo.argtypes = [ctypes.c_void_p, ctypes.c_ulong,
                                              ctypes.POINTER(_SaverInfo)]
        info = _SaverInfo()
        if not xss.XScreenSaverQueryInfo(self.connection, self.root, ctypes.byref(info)):
            return None
        return self.SAVER_STATES.get(info.state, str(info.state))


# ----------------------------------------------------------------------------
# The program as the daemon runs it.


def install_program(program):
    """The built program copied into a temporary prefix that any user may
    enter: the tree it was built in may be open to its owner only. Returns
    the prefix and the installed program."""
    prefix = tempfile.mkdtemp(prefix="plumo-saver-prefix-")
    os.chmod(prefix, 0o755)
    os.makedirs(os.path.join(prefix, "bin"), mode=0o755)
    installed = os.path.join(prefix, "bin", "plumo")
    shutil.copy2(program, installed)
    os.chmod(installed, 0o755)
    return prefix, installed


def unprivileged_user():
    """(uid, gid) to run the daemon as: nobody when the test runs as root (the
    daemon runs no hack as root), else None for the test's own user."""
    if os.geteuid() != 0:
        return None
    nobody = pwd.getpwnam("nobody")
    return nobody.pw_uid, nobody.pw_gid


def processes_of(path):
    """Live processes running the program at `path`."""
    found = []
    for entry in os.listdir("/proc"):
        if entry.isdigit():
            try:
                if os.readlink(f"/proc/{entry}/exe") == path:
                    found.append(int(entry))
            except OSError:
                pass
    return found


def process_end(pid):
    """None while `pid` runs; once it has ended, (status or None when another
    process has already collected it). A hack left behind by the daemon's
    graphics process comes to the test, its subreaper, to be collected."""
    try:
        with open(f"/proc/{pid}/stat") as stat:
            fields = stat.read().rsplit(")", 1)[1].split()
    except OSError:
        return (None,)
    if fields[0] != "Z":
        return None
    status = os.waitstatus_to_exitcode(int(fields[-1]))  # the exit code field
    with contextlib.suppress(ChildProcessError):
        os.waitpid(pid, os.WNOHANG)
    return (status,)


class Hack:
    """The hack the daemon started, for the screenshot helpers."""

    def __init__(self, pid, companions):
        self.pid = pid
        self.companions = companions
        self.started = time.monotonic()

    def running(self):
        return process_end(self.pid) is None

    def cpu_wait(self):
        return cpu_wait([self.pid] + self.companions)


class ScreensaverDaemon:
    """xscreensaver on the display, with `hack` as its only display mode and
    nothing else of its own (no splash, fade, lock or power management)."""

    CONFIG = ("timeout: 0:30:00\ncycle: 0:00:00\nlock: False\nsplash: False\n"
              "fade: False\nunfade: False\ndpmsEnabled: False\nmode: one\nselected: 0\n"
              "programs: GL: {hack} \\n\n")

    def __init__(self, display, work_dir, hack):
        self.display = display
        self.log_path = os.path.join(work_dir, "xscreensaver.log")
        self.hack = hack
        self.home = None
        self.service = None

    def __enter__(self):
        user = unprivileged_user()
        self.home = tempfile.mkdtemp(prefix="plumo-saver-home-")
        with open(os.path.join(self.home, ".xscreensaver"), "w") as config:
            config.write(self.CONFIG.format(hack=self.hack))
        command = ["xscreensaver", "--verbose", "--no-splash"]
        if user:
            for path in (self.home, os.path.join(self.home, ".xscreensaver")):
                os.chown(path, *user)
            command = ["setpriv", f"--reuid={user[0]}", f"--regid={user[1]}",
                       "--clear-groups"] + command
        env = base_env(self.display)
        # No session bus: the daemon's helper would have libdbus start one.
        env.update(HOME=self.home, DBUS_SESSION_BUS_ADDRESS="disabled:")
        # A hack the daemon's graphics process leaves behind when it ends
        # comes to the test, which can then see how it ended.
        ctypes.CDLL(None, use_errno=True).prctl(PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0)
        self.service = Service(command, env, self.log_path)
        if not wait_until(lambda: self.command("-time") == 0 or not self.service.running(),
                          30) or not self.service.running():
            self.__exit__(None, None, None)
            raise RuntimeError(f"xscreensaver did not start (see {self.log_path})")
        return self

    def __exit__(self, *exc):
        if self.service:
            self.command("-exit")
            self.service.stop()
        if self.home:
            shutil.rmtree(self.home, ignore_errors=True)

    def running(self):
        return self.service.running()

    def command(self, *args):
        return subprocess.run(["xscreensaver-command", *args], env=base_env(self.display),
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                              timeout=30).returncode

    def log(self):
        with open(self.log_path, "rb") as log:
            return log.read().decode(errors="replace")

    def started_hacks(self):
        """(pid, window) of each hack the daemon has started, as it logs them."""
        return [(int(pid), window) for pid, window in
                re.findall(r'forked ".*--root" in pid (\d+) on window (0x[0-9a-f]+)', self.log())]


def window_name(display, window):
    text = subprocess.run(["xwininfo", "-id", window], env=display.env, stdout=subprocess.PIPE,
                          stderr=subprocess.DEVNULL, timeout=30).stdout.decode(errors="replace")
    found = re.search(r'xwininfo: Window id: \S+ "(.*)"', text)
    return found.group(1) if found else None


# ----------------------------------------------------------------------------
# The cases.


def case_saver_daemon(args, report):
    size = (1280, 1024)
    shots_dir = fresh_dir(os.path.join(args.work_dir, "shots"))
    prefix, installed = install_program(args.program)
    try:
        with Xvfb(LARGE, os.path.join(args.work_dir, "xvfb.log")) as xvfb, \
                ScreensaverDaemon(xvfb.display, args.work_dir, f"{installed} --root") as daemon:
            display = Display(xvfb.display)
            report.note(f"Xvfb {LARGE} on display {xvfb.display}; xscreensaver is up"
                        + (" as nobody" if unprivileged_user() else ""))
            hack = start_hack(report, daemon, [xvfb.process.pid])
            show_and_end_hack(args, report, display, daemon, hack, installed, size, shots_dir)
    finally:
        shutil.rmtree(prefix, ignore_errors=True)


def start_hack(report, daemon, companions):
    daemon.command("-activate")
    started = wait_until(daemon.started_hacks, 30)
    report.require(started, "xscreensaver -activate starts the hack")
    pid, window = started[0]
    report.note(f"the daemon started plumo --root in pid {pid} on its window {window}")
    hack = Hack(pid, companions)
    hack.window = window
    return hack


def show_and_end_hack(args, report, display, daemon, hack, installed, size, shots_dir):
    photos = Photos(display, size, shots_dir)
    photos.look_at(LETTERBOX, smooth=True)
    first = wait_for_picture(hack, photos, args.startup_timeout)
    report.require(first is not None, "the picture is drawn on the daemon's window (a caption "
                                      f"shows; the hack {'runs' if hack.running() else 'ended'})")
    geometry = client_geometry(display, hack.window)
    report.check(geometry == (0, 0, *size),
                 f"the daemon's window {hack.window} covers the screen (got {geometry})")
    report.check(not display.windows(TITLE, visible=False),
                 f"no window titled \"{TITLE}\": plumo draws into the daemon's window only")
    saved = []

    def after_each(shot):
        if args.screenshot and not saved and shot.start - first.start >= SCREENSHOT_AT:
            subprocess.run(["import", "-window", "root", f"png:{args.screenshot}"],
                           env=display.env, check=True, timeout=30)
            saved.append(shot.index)

    seconds = SCREENSHOT_AT + 1.0 if args.screenshot else START_SECONDS
    shots = capture(hack, photos, seconds, args.period, after_each)
    report.require(hack.running(), "the hack keeps running")
    if args.screenshot:
        report.check(saved, f"the screen is saved as {args.screenshot} after shot {saved}")
    after = display.screen_size()
    report.check(after == size, f"the screen keeps its size {size} (got {after})")

    asked = time.monotonic()
    daemon.command("-deactivate")
    end = wait_until(lambda: process_end(hack.pid), 30, interval=0.01)
    took = time.monotonic() - asked
    report.require(end, "the hack ends once the daemon is deactivated")
    status = end[0]
    report.note(f"the hack ended {took:.2f} s after -deactivate, status "
                f"{status if status is not None else 'collected by the daemon'}")
    report.check(took <= END_DEADLINE, f"it ends within {END_DEADLINE:.0f} s of the daemon's "
                                       f"SIGTERM ({took:.2f} s)")
    report.check(status in (0, None), f"it ends with status 0 (got {status})")
    report.check(not processes_of(installed), "no process of the program is left")
    report.check(not display.windows(TITLE, visible=False), f"no \"{TITLE}\" window is left")
    report.check(daemon.running(), "the daemon is still running")
    errors = [line for line in daemon.log().splitlines()
              if line.startswith("plumo:") or "X Error" in line]
    report.check(not errors, f"the hack said nothing on stderr ({errors})")
    check_bars(report, shots, "the daemon's 1280x1024 window, picture in rows 32 to 991")
    check_picture(report, shots, timeline="start")
    if not report.failures and not args.keep_shots:
        shutil.rmtree(shots_dir, ignore_errors=True)


def case_saver_window(args, report):
    size = (1024, 768)
    area = Rect(64, 48, 480, 240)
    shots_dir = fresh_dir(os.path.join(args.work_dir, "shots"))
    with Xvfb("1024x768x24", os.path.join(args.work_dir, "xvfb.log")) as xvfb:
        display = Display(xvfb.display)
        client = XClient(xvfb.display)
        try:
            host = client.create_window(area, "Saver host")
            focus = client.focus()
            env = dict(display.env, XSCREENSAVER_WINDOW=hex(host))
            report.note(f"Xvfb 1024x768x24 on display {xvfb.display}; XSCREENSAVER_WINDOW="
                        f"{hex(host)}, a 480x240 window at 64,48")
            program = Program([args.program, "--root"], env,
                              os.path.join(args.work_dir, "program.log"))
            program.companions = [xvfb.process.pid]
            try:
                photos = Photos(display, size, shots_dir)
                show_in(report, args, program, photos, fitted(area), area, START_SECONDS,
                        "the 480x240 window, picture 320x240 at 80,0 of it", timeline="start")
                geometry = client_geometry(display, str(host))
                report.check(geometry == tuple(area),
                             f"the window keeps its place and size {tuple(area)} (got {geometry})")
                report.check(client.focus() == focus, "the keyboard focus stays where it was "
                                                      f"({focus:#x}, now {client.focus():#x})")
                keyboard, pointer = client.free_grabs()
                report.check(keyboard and pointer, "plumo grabs neither the keyboard "
                                                   f"({keyboard}) nor the pointer ({pointer})")
                report.check(not display.windows(TITLE, visible=False),
                             f"no window titled \"{TITLE}\" of plumo's own")

                client.resize(host, 400, 400)
                area = Rect(64, 48, 400, 400)
                show_in(report, args, program, photos, fitted(area), area, LATER_SECONDS,
                        "resized to 400x400, picture 400x300 at 0,50 of it", timeline=None)

                started = time.monotonic()
                client.destroy(host)
                status = program.wait(30)
                took = time.monotonic() - started
                report.note(f"window destroyed: status {status} after {took:.2f} s")
                report.check(status == 0, f"the program ends with status 0 (got {status})")
                report.check(status is not None and took <= END_DEADLINE,
                             f"within {END_DEADLINE:.0f} s of the window's end ({took:.2f} s)")
            finally:
                program.stop()
        finally:
            client.close()
    if not report.failures and not args.keep_shots:
        shutil.rmtree(shots_dir, ignore_errors=True)


def show_in(report, args, program, photos, rect, area, seconds, what, timeline):
    """Waits for the picture in `rect` of `area` with black around it, then
    checks it there for `seconds`."""
    photos.look_at(rect, True, area)
    shown = wait_for_picture(program, photos, args.startup_timeout, accept=lambda shot: (
        shot.lit_outside == 0 and shows_caption(shot)))
    report.require(shown is not None, f"{what}: the picture is drawn there (program "
                                      f"{describe(program)}; see {photos.directory})")
    shots = capture(program, photos, seconds, args.period)
    check_bars(report, shots, what)
    check_picture(report, shots, timeline=timeline)


def case_screensaver_inhibit(args, report):
    """Each run: once the picture shows, the server's screensaver gets a 1 s
    timeout and its idle time is reset; 2.5 s later its state is read."""
    with Xvfb("640x480x24", os.path.join(args.work_dir, "xvfb.log")) as xvfb:
        display = Display(xvfb.display)
        client = XClient(xvfb.display)
        try:
            host_area = Rect(0, 0, 320, 240)
            host = client.create_window(host_area, "Saver host")
            runs = (([], Rect(0, 0, 640, 480), "off", "fullscreen, by default"),
                    (["--allow-screensaver"], Rect(0, 0, 640, 480), "on",
                     "fullscreen with --allow-screensaver"),
                    (["--window-id", str(host)], host_area, "on", "in screensaver mode"))
            shots_dir = fresh_dir(os.path.join(args.work_dir, "shots"))
            for arguments, area, expected, what in runs:
                photos = Photos(display, (640, 480), shots_dir)
                photos.look_at(area, True, area)
                state = saver_state_beside(report, args, display, client, photos, arguments)
                report.check(state == expected, f"{what}: the X server's screensaver is "
                                                f"{expected} after 2.5 s idle (got {state})")
        finally:
            client.close()


def saver_state_beside(report, args, display, client, photos, arguments):
    named = "plumo " + " ".join(arguments)
    xset = ["xset", "-display", display.env["DISPLAY"], "s"]
    subprocess.run(xset + ["off"], check=True, timeout=30)
    program = Program([args.program, *arguments], display.env,
                      os.path.join(args.work_dir, "program.log"))
    try:
        shown = wait_for_picture(program, photos, args.startup_timeout)
        report.require(shown is not None, f"{named}: the picture shows ({describe(program)})")
        subprocess.run(xset + ["1", "0"], check=True, timeout=30)
        subprocess.run(xset + ["reset"], check=True, timeout=30)
        time.sleep(2.5)
        state = client.saver_state()
        report.require(program.running(), f"{named} keeps running")
        os.killpg(program.process.pid, signal.SIGTERM)
        status = program.wait(10)
        report.check(status == 0, f"{named} ends with status 0 on SIGTERM (got {status})")
        return state
    finally:
        program.stop()


SCREENSAVER_CASES = {
    "saver-daemon": case_saver_daemon,
    "saver-window": case_saver_window,
    "screensaver-inhibit": case_screensaver_inhibit,
}
