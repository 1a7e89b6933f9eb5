"""A private X server for the project's tests and tools: Xvfb on a display
number it picks itself (-displayfd), stopped with the `with` block."""

import os
import subprocess
import time


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
        with open(self.log_path, "wb") as log:
            self.process = subprocess.Popen(
                ["Xvfb", "-displayfd", str(write_end), "-screen", "0", self.screen,
                 "-nolisten", "tcp", "-noreset"] + self.extra_args,
                stdout=log, stderr=log, pass_fds=(write_end,), start_new_session=True)
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
