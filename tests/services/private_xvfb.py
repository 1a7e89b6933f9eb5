#!/usr/bin/env python3
"""A private X server for the project's tests and tools: Xvfb on a display
number it picks itself (-displayfd), stopped with the `with` block.

Every test and tool that needs an X server starts it here. From Python:

    with Xvfb("640x480x16", "xvfb.log") as server:
        ... server.display ...

From anything else, as a command that prints the display (":N") on one line
once the server accepts clients, and stops it when its standard input closes
(the caller closes it, or dies) or on SIGTERM:

    tests/services/private_xvfb.py --screen 640x480x16 [--log FILE] [-- XVFB-ARGS...]
"""

import argparse
import ctypes
import os
import signal
import subprocess
import sys
import time

PR_SET_PDEATHSIG = 1


def _die_with_parent():
    # The server never outlives whoever started it, even one killed outright.
    ctypes.CDLL(None, use_errno=True).prctl(PR_SET_PDEATHSIG, signal.SIGTERM)


class Xvfb:
    """Raises RuntimeError when the server reports no display within 30 s."""

    def __init__(self, screen, log_path, extra_args=()):
        self.screen = screen
        self.log_path = log_path
        self.extra_args = list(extra_args)
        self.process = None
        self.display = None

    def __enter__(self):
        read_end, write_end = os.pipe()
        with open(self.log_path or os.devnull, "wb") as log:
            self.process = subprocess.Popen(
                ["Xvfb", "-displayfd", str(write_end), "-screen", "0", self.screen,
                 "-nolisten", "tcp", "-noreset"] + self.extra_args,
                stdin=subprocess.DEVNULL, stdout=log, stderr=log, pass_fds=(write_end,),
                start_new_session=True, preexec_fn=_die_with_parent)
        os.close(write_end)
        number = b""
        deadline = time.monotonic() + 30
        with os.fdopen(read_end, "rb") as pipe:
            while not number.endswith(b"\n") and time.monotonic() < deadline:
                chunk = pipe.read(1)
                if not chunk:
                    break
                number += chunk
        if not number.strip().isdigit():
            self.__exit__(None, None, None)
            raise RuntimeError(f"Xvfb did not report a display (see {self.log_path})")
        self.display = ":" + number.strip().decode()
        return self

    def __exit__(self, *exc):
        if self.process and self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()


def main():
    parser = argparse.ArgumentParser(description="Starts a private Xvfb, prints its display "
                                     "and stops it when standard input closes.")
    parser.add_argument("--screen", default="640x480x24", help="WxHxD (default 640x480x24)")
    parser.add_argument("--log", help="Xvfb's output (default: none kept)")
    parser.add_argument("xvfb_args", nargs="*", help="more arguments for Xvfb, after --")
    args = parser.parse_args()
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    try:
        with Xvfb(args.screen, args.log, args.xvfb_args) as server:
            print(server.display, flush=True)
            while sys.stdin.buffer.read(4096):
                pass
    except (RuntimeError, OSError) as error:  # OSError: no Xvfb to run
        print(f"private_xvfb: {error}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
