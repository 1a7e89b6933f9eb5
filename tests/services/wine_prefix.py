#!/usr/bin/env python3
"""A Wine prefix inside the build tree for the project's tests and tools:
made once (wineboot) and reused, with Wine's window-manager integration set
for the display it runs on, and its wineserver stopped when the work is done.

Every test and tool that runs the Windows program under Wine prepares its
prefix here. From Python:

    prefix = WinePrefix("build/debug/wineprefix")
    with prefix.locked():
        prefix.ensure_ready(display)
        subprocess.run(["wine", "plumo.exe"], env=prefix.env(display))
        prefix.stop(display)

From a shell, to prepare one and say which window manager to expect:

    tests/services/wine_prefix.py PREFIX --display :N [--managed]
"""

import argparse
import contextlib
import fcntl
import os
import subprocess
import sys
import time

VARIABLES = {"WINEDEBUG": "-all",
             "WINEDLLOVERRIDES": "mscoree,mshtml="}  # no Mono or Gecko prompts


def display_env(display):
    env = dict(os.environ)
    env["DISPLAY"] = display
    env.pop("WAYLAND_DISPLAY", None)
    return env


class WinePrefix:
    READY = ".plumo-ready"

    def __init__(self, path):
        self.path = os.path.abspath(path)

    def env(self, display, base=None):
        """The environment for Wine on `display`; `base` (default: this
        process's environment) gives every other variable."""
        env = dict(base) if base is not None else display_env(display)
        env["DISPLAY"] = display
        env.update(VARIABLES, WINEPREFIX=self.path)
        return env

    @contextlib.contextmanager
    def locked(self):
        # One user at a time per prefix, whatever runs them.
        os.makedirs(os.path.dirname(self.path), exist_ok=True)
        with open(self.path + ".lock", "w") as lock:
            fcntl.flock(lock, fcntl.LOCK_EX)
            yield

    def ensure_ready(self, display, report=None, managed=False):
        """Makes the prefix if it is not made yet; `report.note` hears about it.
        Without a window manager (`managed` false, a bare Xvfb) Wine must not
        wait for one: it otherwise waits 2 s for a withdrawn state nobody sets
        whenever a window is hidden or destroyed."""
        note = report.note if report else lambda text: print(f"wine_prefix: {text}",
                                                             file=sys.stderr, flush=True)
        if not os.path.exists(os.path.join(self.path, self.READY)):
            note(f"initialising the Wine prefix {self.path}")
            started = time.monotonic()
            os.makedirs(os.path.dirname(self.path), exist_ok=True)
            self._run(["wineboot", "--init"], display, timeout=600)
            self._set_managed(display, managed)
            self.stop(display)
            with open(os.path.join(self.path, self.READY), "w") as stamp:
                stamp.write("managed\n" if managed else "unmanaged\n")
            note(f"prefix ready in {time.monotonic() - started:.1f} s")
            return
        with open(os.path.join(self.path, self.READY)) as stamp:
            if (stamp.read().strip() == "managed") != managed:
                self._set_managed(display, managed)
                with open(os.path.join(self.path, self.READY), "w") as rewritten:
                    rewritten.write("managed\n" if managed else "unmanaged\n")

    def stop(self, display):
        for flag in ("-k", "-w"):
            subprocess.run(["wineserver", flag], env=self.env(display), stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL, timeout=120)

    def _set_managed(self, display, managed):
        self._run(["wine", "reg", "add", r"HKCU\Software\Wine\X11 Driver", "/v", "Managed",
                   "/d", "Y" if managed else "N", "/f"], display, timeout=300)

    def _run(self, command, display, timeout):
        result = subprocess.run(command, env=self.env(display), stdin=subprocess.DEVNULL,
                                stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=timeout)
        if result.returncode != 0:
            raise RuntimeError(f"{' '.join(command)} failed: "
                               f"{result.stdout.decode(errors='replace')[-2000:]}")


def main():
    parser = argparse.ArgumentParser(description="Prepares a Wine prefix for the project's "
                                     "programs.")
    parser.add_argument("prefix")
    parser.add_argument("--display", required=True)
    parser.add_argument("--managed", action="store_true",
                        help="a window manager runs on the display")
    args = parser.parse_args()
    prefix = WinePrefix(args.prefix)
    with prefix.locked():
        try:
            prefix.ensure_ready(args.display, managed=args.managed)
        except (RuntimeError, OSError, subprocess.TimeoutExpired) as error:
            print(f"wine_prefix: {error}", file=sys.stderr)
            return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
