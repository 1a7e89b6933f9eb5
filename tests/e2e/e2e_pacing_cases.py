"""End-to-end cases of the native program's pacing and idling, read from
outside: the swaps it makes (the benchmark's swap probe, preloaded), the CPU
time it uses (/proc) and the captions it shows.

  hidden           under openbox at 1280x1024: minimised, the program
                   presents nothing and uses next to no CPU; restored, its
                   first frame comes at once and the scene goes on from where
                   it stopped; the window manager's close while minimised
                   ends it with status 0
  lost-compositor  under weston: the compositor killed, the program ends
                   within a second with status 1 and one line naming the loss
"""

import os
import re
import signal
import subprocess
import time

from e2e_desktops import wait_until
from e2e_letterbox import Rect
from e2e_picture import SLOT_SECONDS, TITLE, mask_difference
from e2e_presentation_cases import LARGE, LETTERBOX
from e2e_session import (Photos, Session, describe, fresh_dir, shows_caption, wait_for_picture,
                         wait_for_window)
from process_time import cpu_seconds
from swap_probe_lines import present_times

HIDDEN_SECONDS = 4.0
# What a program that draws nothing may still spend while minimised: a few
# wake-ups for events, well under 1 % of a core.
HIDDEN_CPU_SHARE = 0.01
FIRST_FRAME_AFTER_RESTORE = 0.1
LOST_COMPOSITOR_DEADLINE = 1.0


def swaps(path):
    """The presents the probe has counted, and the CLOCK_MONOTONIC time of the last."""
    times = present_times(path)
    return len(times), times[-1] if times else 0.0


def probe_env(args, session):
    """Has the program's swaps counted into a file of the work directory."""
    probe = os.path.join(args.work_dir, "swaps.txt")
    if os.path.exists(probe):
        os.remove(probe)
    session.extra_env.update(LD_PRELOAD=args.swap_probe, PLUMO_SWAP_PROBE_FILE=probe,
                             PLUMO_SWAP_PROBE_AT="0")
    return probe


def next_caption_change(program, photos, timeout):
    """The screenshot that first shows another caption than the one before."""
    before = wait_for_picture(program, photos, timeout)
    return wait_for_picture(program, photos, timeout, accept=lambda shot: (
        shows_caption(shot) and mask_difference(shot, before) > 0.5))


def case_hidden(args, report):
    session = Session(args, report, LARGE, desktop="openbox", modes=True)
    probe = probe_env(args, session)
    with session.start() as (program, display):
        window = wait_for_window(report, program, display, args.startup_timeout)
        photos = Photos(display, session.size, fresh_dir(os.path.join(args.work_dir, "shots")))
        photos.look_at(LETTERBOX, session.smooth)
        report.require(wait_for_picture(program, photos, args.startup_timeout) is not None,
                       f"the scene is drawn ({describe(program)})")
        # Minimised half a slot after a caption came: the scene stops there.
        changed = next_caption_change(program, photos, 3 * SLOT_SECONDS)
        report.require(changed is not None, "the captions change")
        time.sleep(max(0.0, changed.start + SLOT_SECONDS / 4 - time.monotonic()))
        shown = photos.take("before")
        display.xdotool("windowminimize", "--sync", window)
        time.sleep(0.5)  # the minimise reaches the program
        count, _ = swaps(probe)
        cpu = cpu_seconds(program.process.pid)
        time.sleep(HIDDEN_SECONDS)
        hidden_swaps = swaps(probe)[0] - count
        share = (cpu_seconds(program.process.pid) - cpu) / HIDDEN_SECONDS
        report.note(f"minimised {HIDDEN_SECONDS:.0f} s: {hidden_swaps} swaps, CPU {100 * share:.2f} %")
        report.check(hidden_swaps == 0, f"nothing is presented while minimised ({hidden_swaps})")
        report.check(share <= HIDDEN_CPU_SHARE,
                     f"the program uses at most {100 * HIDDEN_CPU_SHARE:.0f} % of a core while "
                     f"minimised ({100 * share:.2f} %)")

        count, _ = swaps(probe)
        waited = program.cpu_wait()
        restored = time.monotonic()
        display.xdotool("windowactivate", "--sync", window)
        first = wait_until(lambda: swaps(probe)[0] > count, 5, interval=0.005)
        report.require(first, "frames come again once restored")
        # The probe's clock is CLOCK_MONOTONIC, as time.monotonic() on Linux.
        # A busy machine may delay the frame by as long as the program and the
        # X server waited for a CPU meanwhile.
        took = swaps(probe)[1] - restored
        allowance = program.cpu_wait() - waited
        report.note(f"first frame {1000 * took:.0f} ms after the restore was asked "
                    f"({1000 * allowance:.0f} ms of waiting for a CPU)")
        report.check(took <= FIRST_FRAME_AFTER_RESTORE + allowance,
                     f"the first frame comes within {1000 * FIRST_FRAME_AFTER_RESTORE:.0f} ms")
        # The scene went on from where it stopped: the same caption, which
        # gives way to the next about three quarters of a slot later, not
        # HIDDEN_SECONDS on.
        back = wait_for_picture(program, photos, 5)
        report.require(back is not None, "the picture is back")
        report.check(mask_difference(back, shown) < 0.2,
                     "the caption shown when minimised is there again")
        changed = next_caption_change(program, photos, 2 * SLOT_SECONDS)
        report.require(changed is not None, "the captions go on")
        gone = changed.start - back.start
        report.note(f"the caption changed {gone:.2f} s after the restore")
        report.check(gone <= SLOT_SECONDS, "the scene resumed where it stopped")

        # The window manager's close, while minimised, ends it as usual.
        display.xdotool("windowminimize", "--sync", window)
        time.sleep(0.5)
        subprocess.run(["wmctrl", "-c", TITLE], env=display.env, check=True, timeout=30)
        status = program.wait(5)
        report.check(status == 0, f"closing it while minimised ends it with status 0 ({status})")


def case_lost_compositor(args, report):
    session = Session(args, report, "1280x720x24", desktop="weston")
    with session.start() as (program, display):
        photos = Photos(display, session.size, fresh_dir(os.path.join(args.work_dir, "shots")))
        photos.look_at(Rect(160, 0, 960, 720), session.smooth)
        report.require(wait_for_picture(program, photos, args.startup_timeout) is not None,
                       f"the scene is drawn on weston ({describe(program)})")
        weston = session.desktop.services[-1]
        killed = time.monotonic()
        os.killpg(weston.process.pid, signal.SIGKILL)
        status = program.wait(5)
        took = time.monotonic() - killed
        report.note(f"after the compositor went: status {status} in {took:.2f} s")
        report.check(status == 1, f"the program ends with status 1 (got {status})")
        report.check(took <= LOST_COMPOSITOR_DEADLINE,
                     f"within {LOST_COMPOSITOR_DEADLINE:.0f} s ({took:.2f} s)")
        with open(program.log_path, "rb") as f:
            said = f.read().decode(errors="replace")
        lines = [line for line in said.splitlines() if line.startswith("plumo:")]
        report.check(len(lines) == 1 and re.fullmatch(
            r"plumo: [A-Za-z]+: the connection to the compositor was lost", lines[0]),
            f"it says so in one line ({lines})")


PACING_CASES = {
    "hidden": case_hidden,
    "lost-compositor": case_lost_compositor,
}
