"""Services of an end-to-end case: the X server, the Wine prefix, the program
under test, and the X side of it (windows, keys, screenshots), with the
report that collects what was checked."""

import os
import re
import signal
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "services"))
# The cases start their server and their Wine prefix through the tests' services.
from private_xvfb import Xvfb  # noqa: E402,F401
from process_time import cpu_wait, session_members  # noqa: E402,F401  (cpu_wait for the cases)
from wine_prefix import WinePrefix  # noqa: E402,F401


class CheckFailed(Exception):
    pass


class Report:
    """Collects observations and failed checks of one case."""

    def __init__(self, case):
        self.case = case
        self.failures = []

    def note(self, text):
        print(f"[{self.case}] {text}", flush=True)

    def check(self, condition, text):
        if condition:
            self.note(f"ok: {text}")
        else:
            self.failures.append(text)
            self.note(f"FAILED: {text}")
        return condition

    def require(self, condition, text):
        if not self.check(condition, text):
            raise CheckFailed(text)


# ----------------------------------------------------------------------------
# Services: the program (the X server and the Wine prefix are tests/services/'s).


def base_env(display):
    env = dict(os.environ)
    env["DISPLAY"] = display
    env.pop("WAYLAND_DISPLAY", None)
    return env


class Program:
    """The program under test, started on the case's display."""

    def __init__(self, command, env, log_path):
        self.log_path = log_path
        self.log = open(log_path, "wb")
        self.process = subprocess.Popen(command, env=env, stdout=self.log,
                                        stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL,
                                        start_new_session=True)
        self.started = time.monotonic()
        self.companions = []  # processes the picture passes through, such as the X server

    def running(self):
        return self.process.poll() is None

    def cpu_wait(self):
        """Seconds the program's processes (with Wine, the server and the rest
        it started) and its companions (the X server) have waited for a CPU."""
        return cpu_wait(session_members(self.process.pid) + self.companions)

    def wait(self, timeout):
        """Exit status, or None if still running after `timeout` seconds."""
        deadline = time.monotonic() + timeout
        while self.process.poll() is None and time.monotonic() < deadline:
            time.sleep(0.01)
        return self.process.poll()

    def stop(self):
        if self.running():
            os.killpg(self.process.pid, signal.SIGKILL)
            self.process.wait()
        self.log.close()


# ----------------------------------------------------------------------------
# The X side: windows, keys, screenshots.


class Display:
    def __init__(self, name):
        self.env = base_env(name)

    def xdotool(self, *args):
        result = subprocess.run(["xdotool", *args], env=self.env, stdout=subprocess.PIPE,
                                stderr=subprocess.PIPE, timeout=30)
        return result.stdout.decode(errors="replace")

    def windows(self, title, visible=True):
        args = ["search"] + (["--onlyvisible"] if visible else []) + ["--name", f"^{title}$"]
        return self.xdotool(*args).split()

    def wait_for_window(self, program, title, timeout):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline and program.running():
            found = self.windows(title)
            if found:
                return found[0]
            time.sleep(0.1)
        return None

    def geometry(self, window):
        text = self.xdotool("getwindowgeometry", window)
        position = re.search(r"Position:\s*(-?\d+),(-?\d+)", text)
        size = re.search(r"Geometry:\s*(\d+)x(\d+)", text)
        if not position or not size:
            return None
        return (int(position.group(1)), int(position.group(2)),
                int(size.group(1)), int(size.group(2)))

    def press_escape(self, window):
        # Focus, then a key through XTEST: as a person at the keyboard.
        self.xdotool("windowfocus", window)
        self.xdotool("key", "Escape")

    def screen_size(self):
        text = subprocess.run(["xrandr", "--current"], env=self.env, stdout=subprocess.PIPE,
                              stderr=subprocess.DEVNULL, timeout=30).stdout.decode()
        found = re.search(r"current (\d+) x (\d+)", text)
        return (int(found.group(1)), int(found.group(2))) if found else None

    def grab(self, path, expected_bytes):
        """Screenshot of the root window as raw 8-bit RGB: (data, start, end)."""
        start = time.monotonic()
        subprocess.run(["import", "-window", "root", "-depth", "8", f"rgb:{path}"],
                       env=self.env, check=True, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=30)
        end = time.monotonic()
        with open(path, "rb") as shot:
            data = shot.read()
        if len(data) != expected_bytes:
            raise RuntimeError(f"screenshot of {len(data)} bytes, expected {expected_bytes}")
        return data, start, end


