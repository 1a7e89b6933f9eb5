"""The pacing rows: a program watched from outside while it runs as a user
started it. The swap probe (swap_probe.c, PLUMO_SWAP_PROBE_AT=0) writes one
line per present, the CPU time comes from /proc; the arithmetic on them is
here too, apart from the running, so that it can be checked on made-up
times."""

import math
import os
import signal
import statistics
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests",
                                "services"))
from process_time import cpu_seconds, session_cpu_seconds  # noqa: E402,F401
from swap_probe_lines import present_times  # noqa: E402

def within(times, start, end):
    return [t for t in times if start <= t < end]


def intervals_ms(times):
    return [1000 * (later - earlier) for earlier, later in zip(times, times[1:])]


def percentile(values, share):
    """The nearest-rank percentile: the smallest value with at least `share`
    of the values at or below it."""
    ordered = sorted(values)
    return ordered[max(0, math.ceil(share * len(ordered)) - 1)]


def summary(times, start, end):
    """Presents per second over [start, end), and the median and 99th
    percentile of the intervals between them, in ms (None with fewer than
    two presents)."""
    shown = within(times, start, end)
    gaps = intervals_ms(shown)
    return (len(shown) / (end - start), statistics.median(gaps) if gaps else None,
            percentile(gaps, 0.99) if gaps else None)


class Watched:
    """A program in a session of its own, its presents counted into `probe`."""

    def __init__(self, command, env, probe, log, probe_library):
        self.probe = probe
        if os.path.exists(probe):
            os.remove(probe)
        env = dict(env, LD_PRELOAD=probe_library, PLUMO_SWAP_PROBE_FILE=probe,
                   PLUMO_SWAP_PROBE_AT="0")
        with open(log, "wb") as output:
            self.process = subprocess.Popen(command, env=env, stdout=output,
                                            stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL,
                                            start_new_session=True)

    def times(self):
        return present_times(self.probe)

    def cpu(self):
        return session_cpu_seconds(self.process.pid)

    def wait_for_present(self, after, timeout):
        """The time of the first present later than `after`, or None."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline and self.process.poll() is None:
            later = [t for t in self.times() if t > after]
            if later:
                return later[0]
            time.sleep(0.002)
        return None

    def watch(self, seconds):
        """Present times and CPU share (of one core) over the next `seconds`."""
        cpu, start = self.cpu(), time.monotonic()
        time.sleep(seconds)
        end, used = time.monotonic(), self.cpu() - cpu
        return start, end, used / (end - start)

    def stop(self):
        if self.process.poll() is None:
            os.killpg(self.process.pid, signal.SIGTERM)
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                os.killpg(self.process.pid, signal.SIGKILL)
                self.process.wait()
        # What the program started in its session (Wine's loader) goes too.
        try:
            os.killpg(self.process.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
