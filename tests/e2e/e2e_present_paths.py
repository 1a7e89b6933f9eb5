"""The presentations side by side, end to end: one still of the demo presented
with GL and without it (PLUMO_PRESENTATION's gl and shm, switched inside one
process by present_still.cpp, so both show the very same picture), and the
screens photographed after each.

  present-paths  --desktop openbox: screens of 1280x1024 and 1920x1080 at
                 fit, integer and stretch, and on the first a --window
                 resized to 1000x600; --desktop weston: 1280x720 at the three
                 scales, the program on Wayland. The two screens must be the
                 same: within one level per channel where the picture is
                 filtered (linear), identical where it is not (integer); the
                 present without GL must have been had (no line from the layer
                 saying it presented with GL instead). Under openbox also an X
                 server without MIT-SHM: the layer's own choice falls back to
                 GL with one line naming why, and shows the same screen.
"""

import os
import select
import signal
import subprocess
import time

from e2e_desktops import DESKTOPS, wait_until
from e2e_services import Display, Xvfb

SCREENS = {"openbox": ("1280x1024x24", "1920x1080x24"), "weston": ("1280x720x24",)}
SCALES = (("fit", "linear"), ("integer", "nearest"), ("stretch", "linear"))
WINDOW = (1000, 600)  # the resized window of the --window run
SWITCH_TIMEOUT = 30.0
SETTLE_TIMEOUT = 30.0
FALLBACK = "presenting with GL"


class Still:
    """present_still on the case's display, talked to through its pipes."""

    def __init__(self, command, env, log_path):
        self.log_path = log_path
        self.log = open(log_path, "wb")
        self.process = subprocess.Popen(command, env=env, stdin=subprocess.PIPE,
                                        stdout=subprocess.PIPE, stderr=self.log,
                                        start_new_session=True)

    def running(self):
        return self.process.poll() is None

    def switch(self, way):
        """Presents `way` from now on; true once it says it has."""
        self.process.stdin.write(f"{way}\n".encode())
        self.process.stdin.flush()
        deadline = time.monotonic() + SWITCH_TIMEOUT
        while time.monotonic() < deadline and self.process.poll() is None:
            ready, _, _ = select.select([self.process.stdout], [], [], 0.1)
            if ready:
                return self.process.stdout.readline().decode().strip() == way
        return False

    def stop(self):
        if self.process.poll() is None:
            try:
                self.process.stdin.write(b"quit\n")
                self.process.stdin.flush()
                self.process.wait(15)
            except (BrokenPipeError, subprocess.TimeoutExpired):
                os.killpg(self.process.pid, signal.SIGKILL)
                self.process.wait()
        self.log.close()
        return self.process.returncode

    def errors(self):
        with open(self.log_path, "rb") as log:
            return log.read().decode(errors="replace")


def settled(display, size, directory, name):
    """The screen once two screenshots in a row are alike, or None."""
    path = os.path.join(directory, f"{name}.rgb")
    last = None
    deadline = time.monotonic() + SETTLE_TIMEOUT
    while time.monotonic() < deadline:
        data, _, _ = display.grab(path, 3 * size[0] * size[1])
        if data == last:
            return data
        last = data
        time.sleep(0.2)
    return None


def difference(a, b):
    """(largest difference of a channel, pixels that differ at all)."""
    largest = 0
    pixels = 0
    for i in range(0, len(a), 3):
        if a[i:i + 3] != b[i:i + 3]:
            pixels += 1
            largest = max(largest, abs(a[i] - b[i]), abs(a[i + 1] - b[i + 1]),
                          abs(a[i + 2] - b[i + 2]))
    return largest, pixels


def lit(data):
    return sum(1 for i in range(0, len(data), 3) if data[i] or data[i + 1] or data[i + 2])


def photograph(report, still, display, size, directory, what, ways):
    """The settled screen after the still switched to each way in turn."""
    shots = {}
    for way in ways:
        report.require(still.switch(way), f"{what}: the still presents with {way} "
                                          f"(see {still.log_path})")
        shots[way] = settled(display, size, directory, way)
        report.require(shots[way] is not None, f"{what}, {way}: the screen settles")
    return shots


def side_by_side(args, report, display, env, size, what, options, resize=None):
    """One run of the still program: without GL first, so that nothing else has
    drawn into the window when it is photographed, then with GL."""
    directory = os.path.join(args.work_dir, what.replace(" ", "-").replace(",", ""))
    os.makedirs(directory, exist_ok=True)
    still = Still([args.program] + options, env, os.path.join(directory, "program.log"))
    try:
        if resize:
            window = display.wait_for_window(still, "Plumo", args.startup_timeout)
            report.require(window, f"{what}: the window shows")
            display.xdotool("windowsize", window, str(resize[0]), str(resize[1]))
            geometry = wait_until(lambda: (display.geometry(window) or (0, 0, 0, 0))[2:] == resize,
                                  args.startup_timeout)
            report.require(geometry, f"{what}: the window is resized to {resize[0]}x{resize[1]}")
        shots = photograph(report, still, display, size, directory, what, ("shm", "gl"))
    finally:
        status = still.stop()
    errors = still.errors()
    report.check(status == 0, f"{what}: the still ends with status 0 (got {status})")
    report.check(FALLBACK not in errors, f"{what}: presented without GL ({errors.strip()!r})")
    for way, shot in shots.items():
        report.check(lit(shot) > size[0] * size[1] // 10, f"{what}: {way} shows the picture")
    largest, pixels = difference(shots["gl"], shots["shm"])
    allowed = 0 if "nearest" in options else 1
    report.check(largest <= allowed, f"{what}: the same screen both ways (largest difference "
                                     f"{largest}, allowed {allowed}; {pixels} pixels differ)")
    if largest <= allowed and not args.keep_shots:
        for way in shots:
            os.remove(os.path.join(directory, f"{way}.rgb"))


def without_shared_memory(args, report):
    """On an X server without MIT-SHM the present without GL cannot be had:
    the layer's choice (PLUMO_PRESENTATION's auto) presents with GL, says so
    once, and the screen is what the GL present shows."""
    screen = SCREENS["openbox"][0]
    size = tuple(int(n) for n in screen.split("x")[:2])
    directory = os.path.join(args.work_dir, "no-mit-shm")
    os.makedirs(directory, exist_ok=True)
    with Xvfb(screen, os.path.join(directory, "xvfb.log"), ["-extension", "MIT-SHM"]) as xvfb:
        display = Display(xvfb.display)
        with DESKTOPS["openbox"](xvfb.display, directory, size) as desktop:
            still = Still([args.program], desktop.program_env,
                          os.path.join(directory, "program.log"))
            try:
                shots = photograph(report, still, display, size, directory, "no MIT-SHM",
                                   ("auto", "gl"))
            finally:
                status = still.stop()
    lines = [line for line in still.errors().splitlines() if line.startswith("plumo:")]
    report.check(status == 0, f"no MIT-SHM: the still ends with status 0 (got {status})")
    report.check(lines == ["plumo: SwapBuffers: the X server shares no memory (no MIT-SHM); "
                           "presenting with GL"], f"no MIT-SHM: one line says why ({lines!r})")
    report.check(lit(shots["auto"]) > size[0] * size[1] // 10, "no MIT-SHM: the picture shows")
    report.check(shots["auto"] == shots["gl"], "no MIT-SHM: the screen is the GL present's")


def case_present_paths(args, report):
    for screen in SCREENS[args.desktop]:
        size = tuple(int(n) for n in screen.split("x")[:2])
        with Xvfb(screen, os.path.join(args.work_dir, f"xvfb-{size[0]}.log")) as xvfb:
            display = Display(xvfb.display)
            with DESKTOPS[args.desktop](xvfb.display, args.work_dir, size) as desktop:
                report.note(f"{args.desktop} on a {size[0]}x{size[1]} screen ({xvfb.display})")
                for scale, filtering in SCALES:
                    side_by_side(args, report, display, desktop.program_env, size,
                                 f"{size[0]}x{size[1]} {scale}",
                                 ["--scale", scale, "--filter", filtering])
                if args.desktop == "openbox" and screen == SCREENS["openbox"][0]:
                    side_by_side(args, report, display, desktop.program_env, size,
                                 f"{size[0]}x{size[1]} window resized", ["--window"],
                                 resize=WINDOW)
    if args.desktop == "openbox":
        without_shared_memory(args, report)


PRESENT_PATHS_CASES = {"present-paths": case_present_paths}
