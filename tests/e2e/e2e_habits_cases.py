"""The native program's desktop habits, end to end under a window manager.

  window-memory  --window under openbox on 1280x1024x24: the window moved and
                 resized, Escape; the settings file holds its client area's
                 place, and the next --window run opens there
"""

import os
import re

from e2e_session import (Session, client_geometry, end_with_escape, fresh_dir,
                         wait_for_geometry, wait_for_window)

LARGE = "1280x1024x24"
# Where the test puts the window: away from where the layer or openbox would.
MOVED = (90, 120, 800, 500)


def remembered(path):
    """(x, y, width, height) of the settings file's geometry line, or None."""
    try:
        with open(path) as f:
            text = f.read()
    except OSError:
        return None
    found = re.search(r"^geometry = (\d+)x(\d+)([+-]\d+)([+-]\d+)$", text, re.M)
    return tuple(int(found.group(i)) for i in (3, 4, 1, 2)) if found else None


def case_window_memory(args, report):
    config = fresh_dir(os.path.join(args.work_dir, "settings"))
    path = os.path.join(config, "plumo", "plumo.ini")
    first = Session(args, report, LARGE, desktop="openbox", program_args=["--window"],
                    config_home=config)
    with first.start() as (program, display):
        window = wait_for_window(report, program, display, args.startup_timeout)
        display.xdotool("windowsize", window, str(MOVED[2]), str(MOVED[3]))
        display.xdotool("windowmove", window, str(MOVED[0]), str(MOVED[1]))
        # xdotool places the frame of a reparented window; the client lands inside it.
        moved = wait_for_geometry(display, window, lambda g: g[2:] == MOVED[2:]
                                  and abs(g[0] - MOVED[0]) < 40 and abs(g[1] - MOVED[1]) < 60,
                                  args.startup_timeout)
        report.require(moved[2:] == MOVED[2:], f"the window was moved and resized (got {moved})")
        end_with_escape(report, program, display, window, focus=False)
    report.check(remembered(path) == moved,
                 f"the settings file holds the client area {moved} (got {remembered(path)})")

    second = Session(args, report, LARGE, desktop="openbox", program_args=["--window"],
                     config_home=config)
    with second.start() as (program, display):
        window = wait_for_window(report, program, display, args.startup_timeout)
        opened = wait_for_geometry(display, window, lambda g: g == moved, args.startup_timeout)
        report.check(opened == moved, f"the next run opens at {moved} (got {opened})")
        end_with_escape(report, program, display, window, focus=False)
    report.check(remembered(path) == moved, f"an unmoved window keeps its line "
                                            f"(got {remembered(path)})")


HABITS_CASES = {
    "window-memory": case_window_memory,
}
