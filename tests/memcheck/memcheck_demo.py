#!/usr/bin/env python3
"""The native demo under valgrind's memcheck, on a private Xvfb.

    memcheck_demo.py --plumo build/.../plumo --suppressions system.supp \\
                     --source-dir src --work-dir build/.../native_demo

Starts Xvfb (640x480x24, display number chosen by the server), runs plumo
under memcheck, waits until the "Plumo" window is viewable and the screen has
shown a few different frames, lets it run ~10 s, presses Escape, and passes
only when the program exits with status 0 and memcheck reports no error: no
definite or indirect leak and no invalid access, apart from the system
libraries' own in the suppression file. The suppressions may hide at most
--suppressed-limit bytes of leaks, so that a fault of ours cannot grow behind
them. valgrind's log stays in the work directory; on failure the reported
records are printed, those with frames in our sources first.

Exits 77 (a skip for CTest) when valgrind is not installed.
"""

import argparse
import glob
import hashlib
import os
import re
import shutil
import signal
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
import e2e_services  # noqa: E402  (the private Xvfb the end-to-end tests use)

SKIP = 77
TITLE = "Plumo"


class Failed(Exception):
    pass


def log(text):
    print(f"[memcheck] {text}", flush=True)


class Xvfb(e2e_services.Xvfb):
    """The end-to-end tests' private X server, 640x480x24 on a black root, with
    its framebuffer kept in a file so frames can be told apart cheaply."""

    def __init__(self, work_dir):
        self.fb_dir = os.path.join(work_dir, "framebuffer")
        os.makedirs(self.fb_dir, exist_ok=True)
        super().__init__("640x480x24", os.path.join(work_dir, "xvfb.log"),
                         ["-fbdir", self.fb_dir, "-br"])

    def __enter__(self):
        try:
            return super().__enter__()
        except RuntimeError as error:
            raise Failed(str(error)) from error

    def framebuffer(self):
        """The screen's bytes as Xvfb keeps them (XWD header, then pixels)."""
        files = glob.glob(os.path.join(self.fb_dir, "Xvfb_screen*"))
        if not files:
            return b""
        with open(files[0], "rb") as fb:
            return fb.read()


def demo_env(display, work_dir):
    env = dict(os.environ)
    env["DISPLAY"] = display
    for name in ("WAYLAND_DISPLAY", "SDL_VIDEODRIVER"):
        env.pop(name, None)
    # No session bus: libdbus (through SDL) would otherwise autolaunch one on
    # this display or talk to the user's, and the run would depend on which.
    env["DBUS_SESSION_BUS_ADDRESS"] = "unix:path=" + os.path.join(work_dir, "no-session-bus")
    # Every run compiles the same shaders, whatever an earlier run cached.
    env["MESA_SHADER_CACHE_DISABLE"] = "true"
    env["XDG_CONFIG_HOME"] = os.path.join(work_dir, "no-config")  # never the user's settings
    return env


def xdotool(env, *args):
    return subprocess.run(["xdotool", *args], env=env, stdout=subprocess.PIPE,
                          stderr=subprocess.DEVNULL, timeout=30)


def wait_for_window(program, env, deadline):
    while time.monotonic() < deadline:
        if program.poll() is not None:
            raise Failed(f"plumo ended with status {program.returncode} before its window "
                         "was shown")
        found = xdotool(env, "search", "--onlyvisible", "--name", f"^{TITLE}$")
        if found.returncode == 0 and found.stdout.strip():
            return
        time.sleep(0.5)
    raise Failed(f'no viewable window titled "{TITLE}"')


def wait_for_frames(program, xvfb, count, deadline):
    """Waits until the screen has shown `count` different non-blank pictures:
    the wave moves every frame, so each one is a frame drawn and presented.
    Returns when the first and the last of them were seen."""
    seen = set()
    first = None
    while time.monotonic() < deadline:
        if program.poll() is not None:
            raise Failed(f"plumo ended with status {program.returncode} while drawing")
        picture = xvfb.framebuffer()
        # The pixels follow the header; the black root (-br) and a window
        # nothing was drawn in yet are all zero there.
        if picture and picture[-640 * 480 * 4:].strip(b"\0"):
            seen.add(hashlib.sha1(picture).digest())
            first = first or time.monotonic()
            if len(seen) >= count:
                return first, time.monotonic()
        time.sleep(0.2)
    raise Failed(f"the screen showed {len(seen)} different frames, expected {count}")


def records(valgrind_log):
    """memcheck's error and loss records, each as its list of lines."""
    blocks, current = [], []
    for line in valgrind_log.splitlines():
        body = re.sub(r"^==\d+== ?", "", line)
        if not body.strip():
            if current:
                blocks.append(current)
            current = []
        else:
            current.append(body)
    if current:
        blocks.append(current)
    heads = re.compile(r"(Invalid|Conditional jump|Use of uninitialised|Syscall param|"
                       r"Mismatched|Source and destination|Argument|.* lost in loss record)")
    return [block for block in blocks if heads.match(block[0])]


def weight(block):
    """Invalid accesses first, then leaks by size."""
    lost = re.match(r"([\d,]+) ", block[0])
    return int(lost.group(1).replace(",", "")) if lost else float("inf")


def summary_bytes(valgrind_log, label):
    found = re.search(rf"{label}: ([\d,]+) bytes", valgrind_log)
    return int(found.group(1).replace(",", "")) if found else None


def check_log(path, source_dir, suppressed_limit, status):
    """Returns the failures memcheck's log shows, printing its records."""
    with open(path, errors="replace") as log_file:
        text = log_file.read()
    failures = []
    errors = re.search(r"ERROR SUMMARY: ([\d,]+) errors", text)
    if not errors:
        return [f"valgrind wrote no error summary (see {path})"]
    if errors.group(1) != "0":
        failures.append(f"memcheck reported {errors.group(1)} errors")
    for label in ("definitely lost", "indirectly lost"):
        lost = summary_bytes(text, label)
        if lost:
            failures.append(f"{label}: {lost} bytes")
    suppressed = summary_bytes(text, "suppressed") or 0
    if suppressed > suppressed_limit:
        failures.append(f"the suppressions hid {suppressed} bytes of leaks, more than the "
                        f"{suppressed_limit} allowed for the system libraries' own")
    if status != 0:
        why = " (valgrind's, for the errors)" if status == 99 and failures else ""
        failures.append(f"exit status {status}{why}")

    ours, theirs, seen = [], [], set()
    for block in records(text):
        key = "\n".join(block)
        if key in seen:  # the error list at the end repeats them
            continue
        seen.add(key)
        (ours if any(source_dir in line for line in block) else theirs).append(block)
    for title, group, shown in (("with frames in our sources", ours, 8),
                                ("in other code only", theirs, 4)):
        if group:
            group.sort(key=weight, reverse=True)
            print(f"--- {len(group)} record(s) {title}, the first {min(shown, len(group))}:")
            for block in group[:shown]:
                print("\n".join(block[:40]))
                print()
    for line in re.findall(r"^--\d+-- used_suppression: .*$", text, re.M):
        print(line.split("-- ", 1)[1])
    if failures:
        for line in re.findall(r"^==\d+== (?:  (?:definitely|indirectly|possibly) lost|"
                               r"    suppressed|ERROR SUMMARY).*$", text, re.M):
            print(line)
    return failures


def run(args):
    valgrind = shutil.which("valgrind")
    if not valgrind:
        log("valgrind is not installed: skipped")
        return SKIP
    for tool in ("Xvfb", "xdotool"):
        if not shutil.which(tool):
            raise Failed(f"{tool} is needed and not installed")

    work_dir = os.path.abspath(args.work_dir)
    shutil.rmtree(work_dir, ignore_errors=True)
    os.makedirs(work_dir)
    valgrind_log = os.path.join(work_dir, "valgrind.log")
    program_log = os.path.join(work_dir, "plumo.log")
    source_dir = os.path.abspath(args.source_dir)
    started = time.monotonic()
    deadline = started + args.budget

    command = [
        valgrind, "--tool=memcheck", "--leak-check=full",
        "--show-leak-kinds=definite,indirect", "--errors-for-leak-kinds=definite,indirect",
        "--error-exitcode=99", f"--suppressions={os.path.abspath(args.suppressions)}",
        "--num-callers=40", "--fullpath-after=", "--show-error-list=yes",
        # Mesa and libglapi are unloaded before the leak check; their frames
        # keep their object names only with this, and the suppressions need them.
        "--keep-debuginfo=yes",
        # Children (libdbus's helpers, if any) are not the program under test.
        "--child-silent-after-fork=yes",
        f"--log-file={valgrind_log}", os.path.abspath(args.plumo)]

    with Xvfb(work_dir) as xvfb:
        env = demo_env(xvfb.display, work_dir)
        log(f"Xvfb on {xvfb.display}; valgrind log: {valgrind_log}")
        with open(program_log, "wb") as out:
            program = subprocess.Popen(command, env=env, stdout=out, stderr=subprocess.STDOUT,
                                       stdin=subprocess.DEVNULL, start_new_session=True)
        try:
            wait_for_window(program, env, deadline - 60)
            log(f"window viewable after {time.monotonic() - started:.1f} s")
            first, last = wait_for_frames(program, xvfb, args.frames, deadline - 60)
            log(f"first frame after {first - started:.1f} s, {args.frames} different ones "
                f"after {last - started:.1f} s")
            # More frames, captions and font printing, all under memcheck.
            time.sleep(max(0.0, min(args.run_for, deadline - 60 - time.monotonic())))
            xdotool(env, "key", "Escape")
            escaped = time.monotonic()
            try:
                status = program.wait(max(1.0, deadline - time.monotonic()))
            except subprocess.TimeoutExpired:
                raise Failed(f"plumo did not end within {deadline - escaped:.0f} s of Escape")
            log(f"ended with status {status} {time.monotonic() - escaped:.1f} s after Escape "
                f"(whole run {time.monotonic() - started:.1f} s)")
        except Failed:
            with open(program_log, errors="replace") as out:
                tail = out.read()[-3000:]
            if tail:
                print(f"--- plumo's output ({program_log}):\n{tail}")
            raise
        finally:
            if program.poll() is None:
                os.killpg(program.pid, signal.SIGKILL)
                program.wait()

    failures = check_log(valgrind_log, source_dir, args.suppressed_limit, status)
    if failures:
        for failure in failures:
            log(f"FAILED: {failure}")
        log(f"valgrind's whole log: {valgrind_log}")
        return 1
    log("no errors, no definite or indirect leaks")
    return 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--plumo", required=True)
    parser.add_argument("--suppressions", required=True)
    parser.add_argument("--source-dir", required=True,
                        help="our sources: records with frames here are listed first")
    parser.add_argument("--work-dir", required=True)
    parser.add_argument("--run-for", type=float, default=10.0,
                        help="seconds the demo runs on once it is seen drawing")
    parser.add_argument("--frames", type=int, default=3,
                        help="different frames the screen must show before Escape")
    parser.add_argument("--budget", type=float, default=280.0,
                        help="seconds for the whole run, inside CTest's timeout")
    parser.add_argument("--suppressed-limit", type=int, default=32 * 1024,
                        help="bytes of leaks the suppressions may hide")
    args = parser.parse_args()

    # CTest's timeout sends SIGTERM: leave through the cleanup paths.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit("[memcheck] terminated"))
    try:
        return run(args)
    except Failed as failure:
        log(f"FAILED: {failure}")
        return 1


if __name__ == "__main__":
    sys.exit(main())
