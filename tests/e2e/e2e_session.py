"""One run of the program under test on a fresh private X server, with the
desktop the case asks for, and what the cases share: screenshots read back
as the demo's picture, waiting for the picture, Escape and the X queries."""

import contextlib
import os
import re
import shutil
import subprocess
import time

from e2e_desktops import DESKTOPS, wait_until
from e2e_letterbox import EDGE_PIXELS, Rect, View
from e2e_picture import HEIGHT, TITLE, WIDTH, Shot
from e2e_services import Display, Program, WinePrefix, Xvfb

ESCAPE_DEADLINE = 2.0
# How far back a screenshot looks for the CPU waits that delay its frame.
LAG_WINDOW = 1.0
# The display modes the program may ask for, added to the X server's own so
# that a real switch to any of them would show in xrandr.
PROGRAM_MODES = ((640, 480), (800, 600), (1024, 768))
CAPTION_MAX_PIXELS = WIDTH * HEIGHT // 10


class Session:
    """The program on a fresh Xvfb of `screen` ("WxHxD"), on a desktop of
    e2e_desktops, with `program_args` after any --program-arg of the command
    line. With `modes`, the server also offers PROGRAM_MODES. The native
    program's settings folder is `config_home`, else a fresh one."""

    def __init__(self, args, report, screen, desktop="none", modes=False, program_args=(),
                 config_home=None):
        self.args = args
        self.report = report
        self.screen = screen
        self.size = tuple(int(n) for n in screen.split("x")[:2])
        self.desktop_name = desktop
        self.modes = modes
        self.program_args = list(args.program_arg or []) + list(program_args)
        # Linear filtering, unless the program is asked for sharp pixels.
        self.smooth = not (option(self.program_args, "--filter") == "nearest"
                           or option(self.program_args, "--scale") == "integer")
        self.prefix = WinePrefix(args.wine_prefix) if args.wine else None
        self.config_home = config_home
        self.desktop = None
        self.extra_env = {}  # for the program, over the desktop's

    @contextlib.contextmanager
    def start(self):
        work = self.args.work_dir
        with contextlib.ExitStack() as stack:
            if self.prefix:
                stack.enter_context(self.prefix.locked())
            xvfb = stack.enter_context(Xvfb(self.screen, os.path.join(work, "xvfb.log")))
            self.report.note(f"Xvfb {self.screen} on display {xvfb.display}")
            display = Display(xvfb.display)
            if self.modes:
                add_modes(display, PROGRAM_MODES)
            self.desktop = stack.enter_context(
                DESKTOPS[self.desktop_name](xvfb.display, work, self.size))
            if self.desktop_name != "none":
                self.report.note(f"{self.desktop_name} is up")
            if self.prefix:
                self.prefix.ensure_ready(xvfb.display, self.report)
                stack.callback(self.prefix.stop, xvfb.display)
                env = self.prefix.env(xvfb.display)
                command = ["wine", self.args.program]
            else:
                # Settings of the case's own, never the user's.
                config = self.config_home or fresh_dir(os.path.join(work, "config"))
                env = dict(self.desktop.program_env, XDG_CONFIG_HOME=config, **self.extra_env)
                command = [self.args.program]
            command += self.program_args
            if self.program_args:
                self.report.note("program arguments: " + " ".join(self.program_args))
            self.screen_before = display.screen_size()
            program = Program(command, env, os.path.join(work, "program.log"))
            program.companions = [xvfb.process.pid]
            stack.callback(program.stop)
            yield program, display


def option(arguments, name):
    """The value of `--name=value` or `--name value` in a command line."""
    for i, argument in enumerate(arguments):
        if argument.startswith(name + "="):
            return argument.split("=", 1)[1]
        if argument == name and i + 1 < len(arguments):
            return arguments[i + 1]
    return None


class Photos:
    """Screenshots of the whole screen, read back as the demo's 640x480
    picture through a View and kept as raw RGB in `directory`. The first few
    screenshots whose bars are wrong are kept whole beside it (.screen.rgb)."""

    KEPT_SCREENS = 3

    def __init__(self, display, screen, directory):
        self.display = display
        self.screen = screen
        self.directory = directory
        self.count = 0
        self.kept = 0
        self.look_at(Rect(0, 0, *screen), smooth=False)

    def look_at(self, rect, smooth, area=None):
        """Where the picture is (rect), scaled with linear filtering or not,
        inside which part of the screen (area, default all of it)."""
        self.view = View(self.screen, rect, smooth)
        self.area = area
        self.whole = rect == Rect(0, 0, WIDTH, HEIGHT) and self.screen == (WIDTH, HEIGHT)

    def take(self, prefix="shot"):
        path = os.path.join(self.directory, f"{prefix}-{self.count:03d}.rgb")
        raw = path if self.whole else os.path.join(self.directory, "screen.rgb")
        try:
            data, start, end = self.display.grab(raw, 3 * self.screen[0] * self.screen[1])
        except RuntimeError as error:  # most likely the screen's mode has changed
            raise RuntimeError(f"{error}: the screen is {self.display.screen_size()}, "
                               f"expected {self.screen}") from error
        dropped = 0
        if self.whole:
            picture = data
        else:
            picture, dropped = self.view.picture(data)
            with open(path, "wb") as out:
                out.write(picture)
        shot = Shot(self.count, path, picture, start, end)
        shot.dropped = dropped
        shot.lit_outside, shot.edges = self.view.bars(data, self.area)
        wrong = shot.lit_outside or min(shot.edges) < EDGE_PIXELS
        if wrong and not self.whole and self.kept < self.KEPT_SCREENS:
            os.replace(raw, path[:-4] + ".screen.rgb")
            self.kept += 1
        self.count += 1
        return shot


def shows_caption(shot):
    """A caption covers a few thousand pixels; a screen mostly white (as a
    window can be before its first frame) shows none."""
    return 0 < shot.white <= CAPTION_MAX_PIXELS


def wait_for_picture(program, photos, timeout, accept=shows_caption):
    """Screenshots until one is accepted (by default: a caption shows, the end
    of loading), or None when the program (if any) ends or `timeout` passes."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline and (program is None or program.running()):
        shot = photos.take("wait")
        if accept(shot):
            return shot
        time.sleep(0.1)
    return None


def capture(program, photos, seconds, period, after_each=None):
    """Screenshots at a steady pace for `seconds`, each with its timing and
    how long the program and the X server waited for a CPU in the LAG_WINDOW
    before it (Shot.lag), by which its frame may trail further; after_each(shot)
    runs between them."""
    shots = []
    waits = []  # (time, CPU wait so far)
    end = time.monotonic() + seconds
    while time.monotonic() < end and program.running():
        waits.append((time.monotonic(), program.cpu_wait()))
        shots.append(photos.take())
        since = next(wait for at, wait in waits if at >= shots[-1].start - LAG_WINDOW)
        shots[-1].lag = program.cpu_wait() - since
        if after_each:
            after_each(shots[-1])
        time.sleep(max(0.0, period - (time.monotonic() - shots[-1].start)))
    return shots


def describe(program):
    status = program.process.poll()
    return "running" if status is None else f"ended with {status}"


def wait_for_window(report, program, display, timeout):
    window = display.wait_for_window(program, TITLE, timeout)
    report.require(window is not None, f"a visible window titled \"{TITLE}\" appears "
                                       f"(program status: {describe(program)})")
    report.note(f"window {window} after {time.monotonic() - program.started:.1f} s")
    return window


def end_with_escape(report, program, display, window, focus=True):
    """Escape as a person presses it: to the window that has the focus, which
    the test gives it itself unless `focus` is False (a window manager's job)."""
    started = time.monotonic()
    if focus:
        display.press_escape(window)
    else:
        display.xdotool("key", "Escape")
    status = program.wait(30)
    took = time.monotonic() - started
    report.note(f"after Escape: status {status}, {took:.2f} s")
    report.check(status == 0, f"Escape ends the program with status 0 (got {status})")
    report.check(status is not None and took <= ESCAPE_DEADLINE,
                 f"it ends within {ESCAPE_DEADLINE:.0f} s of the key ({took:.2f} s)")
    report.check(not display.windows(TITLE, visible=False), "no \"Plumo\" window is left")


def add_modes(display, sizes):
    """Offers extra modes on the server's one output (Xvfb takes any)."""
    text = subprocess.run(["xrandr"], env=display.env, stdout=subprocess.PIPE,
                          stderr=subprocess.DEVNULL, timeout=30).stdout.decode()
    output = re.search(r"^(\S+) connected", text, re.M).group(1)
    for width, height in sizes:
        name = f"{width}x{height}"
        h, v = width + 160, height + 45  # a 60 Hz timing; Xvfb looks at the size only
        timing = [f"{60 * h * v / 1e6:.2f}", width, width + 16, width + 96, h,
                  height, height + 10, height + 15, v]
        for command in (["--newmode", name, *map(str, timing)], ["--addmode", output, name]):
            subprocess.run(["xrandr", *command], env=display.env, check=True, timeout=30,
                           stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)


def window_state(display, window):
    """The window manager's _NET_WM_STATE of a window, as xprop prints it."""
    return subprocess.run(["xprop", "-id", window, "_NET_WM_STATE"], env=display.env,
                          stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                          timeout=30).stdout.decode(errors="replace").strip()


def focus_of(display):
    """The window with the keyboard focus and the one the window manager calls
    active (empty without one)."""
    return (display.xdotool("getwindowfocus", "-f").strip(),
            display.xdotool("getactivewindow").strip())


def client_geometry(display, window):
    """(x, y, width, height) of a window's client area on the screen, or None.
    xdotool adds a reparenting window manager's frame offset twice, so this
    reads xwininfo's absolute position."""
    text = subprocess.run(["xwininfo", "-id", window], env=display.env, stdout=subprocess.PIPE,
                          stderr=subprocess.DEVNULL, timeout=30).stdout.decode(errors="replace")
    fields = [re.search(rf"{name}:\s*(-?\d+)", text) for name in
              ("Absolute upper-left X", "Absolute upper-left Y", "Width", "Height")]
    return tuple(int(f.group(1)) for f in fields) if all(fields) else None


def wait_for_geometry(display, window, wanted, timeout):
    """The window's geometry once wanted(geometry) holds, else the last seen."""
    seen = []

    def matches():
        seen.append(client_geometry(display, window))
        return seen[-1] is not None and wanted(seen[-1])

    wait_until(matches, timeout)
    return seen[-1] or (0, 0, 0, 0)


def fresh_dir(path):
    shutil.rmtree(path, ignore_errors=True)
    os.makedirs(path)
    return path
