"""The benchmark's measuring half: the programs it runs, the services it runs
them on (a private Xvfb, a Wine prefix kept up between runs) and the rounds
of each measurement. What it takes is a Results record (results.py); the
table and the documentation are made from that elsewhere (report.py,
performance_doc.py).

Rows, each a median over repeated runs with its min-max spread:
  1. start-up: exec to the third buffer swap (Init, Load, first Render pass),
     timed by the swap_probe shim, natively, under Wine (prefix initialised;
     wineserver, services and explorer.exe already up; also with no
     wineserver running) and for the floor program that opens an SDL window
     with a GL context and presents once;
  2. font building: Font::Load's calls, timed one by one by font_probe;
  3. frame cost: process CPU time of Render + swap over many frames
     (frame_bench), and the floor frame (floor_frame); natively also with
     the layer drawing straight into the window (PLUMO_PRESENTATION=direct);
     on the 1920x1080 and 1280x1024 screens, where the 640x480 picture is
     scaled up (to 1440x1080, 1280x960), the CPU time of the program and of
     the X server together per presented frame, against floor_blit (a
     640x480 framebuffer blitted there and swapped, nothing else), and the
     native build once more presenting with GL (PLUMO_PRESENTATION=gl);
  4. peak resident memory (VmHWM) of the running program after a number of
     frames, read by the shim inside the process that swaps;
  5. pacing, on the 1280x1024 screen under openbox: `plumo` as a user starts
     it (fullscreen, --window, each also with --no-vsync, --max-fps 30), and
     plumo.exe under Wine, presents counted by the swap probe over a few
     seconds: presents per second, the intervals between them, the CPU
     time of the program; then minimised (presents, the CPU of the program
     and of the X server) and restored (how soon the first frame comes);
  6. instruction counts from callgrind: one WaveDemo::Load, one Render, one
     Render + swap, with Mesa rasterising on the calling thread.
"""

import contextlib
import datetime
import os
import platform
import re
import shutil
import signal
import subprocess
import sys
import time

TESTS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests")
sys.path[:0] = [os.path.join(TESTS, "services"), os.path.join(TESTS, "e2e")]
from e2e_desktops import Openbox  # noqa: E402  (shared with the tests)
from private_xvfb import Xvfb  # noqa: E402
from wine_prefix import WinePrefix  # noqa: E402

import pacing  # noqa: E402

import results  # noqa: E402

SCREEN = "640x480x16"
WIDE_SCREEN = "1920x1080x24"  # where the presentation scales the picture up
SXGA_SCREEN = "1280x1024x24"  # and a second size, scaled by two; the pacing's screen

# Repetitions and frame counts.
# A frame on the 1920x1080 screen costs ten times one at 640x480: fewer of them.
FULL = dict(warm_up=True, startup_runs=21, cold_runs=7, font_runs=15, frame_runs=11, frames=2000,
            wide_frames=300, memory_runs=7, memory_frames=300, pace_runs=3, pace_seconds=5.0,
            callgrind_runs=2, profile_frames=5)
# Every measurement taken once, with small frame counts: that each can still
# be taken, and nothing about speed.
QUICK = dict(warm_up=False, startup_runs=1, cold_runs=1, font_runs=1, frame_runs=1, frames=30,
             wide_frames=10, memory_runs=1, memory_frames=10, pace_runs=1, pace_seconds=1.0,
             callgrind_runs=1, profile_frames=1)


class BenchError(Exception):
    pass


def say(text):
    print(f"bench: {text}", file=sys.stderr, flush=True)


# ----------------------------------------------------------------------------
# Services: Wine (the X server is tests/services/private_xvfb.py, the prefix
# tests/services/wine_prefix.py).


class Wine:
    """The benchmark's Wine prefix (tests/services/wine_prefix.py), kept up between runs."""

    def __init__(self, prefix, display):
        self.prefix = WinePrefix(prefix)
        self.display = display

    def env(self):
        return self.prefix.env(self.display, base_env(self.display))

    def ensure_prefix(self):
        self.prefix.ensure_ready(self.display)

    def keep_up(self):
        """Wine at its quickest: a wineserver, Wine's services and its desktop
        process (explorer.exe) that stay up between the runs. explorer.exe
        leaves about a second after the last window has gone, and starting it
        again is part of the next start-up, so a minimised game holds one
        window open meanwhile."""
        subprocess.run(["wineserver", "-p"], env=self.env(), timeout=60,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        # Not through a pipe: the game would hold it open for as long as it runs.
        started = subprocess.run(["wine", "start", "/min", "winemine.exe"], env=self.env(),
                                 timeout=120, stdin=subprocess.DEVNULL,
                                 stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if started.returncode != 0:
            raise BenchError(f"wine start winemine.exe exited with {started.returncode}")

    def stop(self):
        self.prefix.stop(self.display)


def base_env(display):
    env = dict(os.environ)
    env["DISPLAY"] = display
    for name in ("WAYLAND_DISPLAY", "LD_PRELOAD", "SDL_VIDEODRIVER", "LP_NUM_THREADS"):
        env.pop(name, None)
    return env


def run_checked(command, env, timeout):
    result = subprocess.run(command, env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                            stdin=subprocess.DEVNULL, timeout=timeout)
    output = result.stdout.decode(errors="replace")
    if result.returncode != 0:
        raise BenchError(f"{' '.join(command)} exited with {result.returncode}: {output[-1500:]}")
    return output


# ----------------------------------------------------------------------------
# The programs.


class Programs:
    def __init__(self, native_dir, windows_dir):
        bench = os.path.join(native_dir, "tools", "bench")
        wbench = os.path.join(windows_dir, "tools", "bench")
        self.plumo = os.path.join(native_dir, "src", "platform", "native", "plumo")
        self.plumo_exe = os.path.join(windows_dir, "plumo.exe")
        self.probe = os.path.join(bench, "swap_probe.so")
        self.exec_stamp = os.path.join(bench, "plumo_exec_stamp")
        self.floor_start = os.path.join(bench, "plumo_floor_start")
        self.floor_frame = os.path.join(bench, "plumo_floor_frame")
        self.floor_blit = os.path.join(bench, "plumo_floor_blit")
        self.font_probe = os.path.join(bench, "plumo_font_probe")
        self.frame_bench = os.path.join(bench, "plumo_frame_bench")
        self.font_probe_exe = os.path.join(wbench, "plumo_font_probe.exe")
        self.frame_bench_exe = os.path.join(wbench, "plumo_frame_bench.exe")

    def check(self):
        missing = [path for path in vars(self).values() if not os.path.exists(path)]
        if missing:
            raise BenchError("not built: " + ", ".join(missing) + " (run with --build)")


class Bench:
    def __init__(self, work_dir, settings, programs, display, large, wine):
        self.s = settings
        self.p = programs
        self.display = display
        self.large = large  # variant prefix ("wide", "sxga") -> the Xvfb of that screen
        self.desktop = None  # openbox on the sxga screen, during the pacing rounds
        self.wine = wine
        self.work = work_dir
        self.count = 0
        self.samples = {}  # (measure, variant) -> list of numbers
        self.errors = []
        self.info = {}
        self.elapsed_from = time.monotonic()

    def add(self, key, value):
        self.samples.setdefault(key, []).append(value)

    def command(self, variant, native, windows):
        """The command line of a variant: Wine runs the .exe through `wine`."""
        return ["wine", windows] if variant.startswith("wine") else native

    def env(self, variant):
        if variant.startswith("wine"):
            return self.wine.env()
        prefix = variant.split("_")[0]
        if prefix in self.large:
            env = base_env(self.large[prefix].display)
            if variant.endswith("_gl"):
                env["PLUMO_PRESENTATION"] = "gl"  # the layer's GL blit, as before the CPU present
            return env
        env = base_env(self.display)
        if variant == "direct":
            env["PLUMO_PRESENTATION"] = "direct"  # the layer draws straight into the window
        return env

    def attempt(self, what, action):
        try:
            return action()
        except (BenchError, subprocess.TimeoutExpired, OSError) as error:
            self.errors.append(f"{what}: {error}")
            say(f"FAILED {what}: {error}")
            return None

    # --- the swap probe: start-up and memory

    def probed(self, variant, command, swap_at):
        """Runs `command` until its swap_at-th swap; returns the probe's fields."""
        self.count += 1
        out = os.path.join(self.work, "probe", f"{self.count:04d}-{variant}.txt")
        os.makedirs(os.path.dirname(out), exist_ok=True)
        env = self.env(variant)
        env.update(LD_PRELOAD=self.p.probe, PLUMO_SWAP_PROBE_FILE=out,
                   PLUMO_SWAP_PROBE_AT=str(swap_at))
        log = out[:-4] + ".log"
        with open(log, "wb") as output:
            process = subprocess.Popen([self.p.exec_stamp] + command, env=env, stdout=output,
                                       stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL,
                                       start_new_session=True)
            try:
                process.wait(timeout=180)
            except subprocess.TimeoutExpired:
                os.killpg(process.pid, signal.SIGKILL)
                process.wait()
                raise BenchError(f"{variant} did not reach swap {swap_at} in 180 s (see {log})")
        if not os.path.exists(out):
            raise BenchError(f"{variant} ended with {process.returncode} before swap {swap_at} "
                             f"(see {log})")
        with open(out) as probe:
            fields = dict(item.split("=", 1) for item in probe.read().split())
        if int(fields["swap"]) != swap_at:
            raise BenchError(f"{variant}: probe line for swap {fields['swap']}")
        return fields

    def startup_once(self, variant, timed=True):
        if variant == "floor":
            command, swaps = [self.p.floor_start], 1
        else:
            command, swaps = self.command(variant, [self.p.plumo], self.p.plumo_exe), 3
        fields = self.probed(variant, command, swaps)
        if not timed:
            return
        start = int(fields["start_ns"])
        stamps = [int(value) for value in fields["first_ns"].split(",")]
        self.add(("startup", variant), (stamps[-1] - start) / 1e6)
        if swaps == 3:
            previous = start
            for phase, stamp in zip(("init", "load", "render"), stamps):
                self.add((f"startup_{phase}", variant), (stamp - previous) / 1e6)
                previous = stamp
        self.info[f"startup_process_{variant}"] = fields["comm"]

    def memory_once(self, variant):
        frames = self.s["memory_frames"]
        if variant == "floor":
            command = [self.p.floor_frame, "--warmup", "0", "--frames", str(frames + 100)]
            swaps = frames
        else:
            command = self.command(variant, [self.p.plumo], self.p.plumo_exe)
            swaps = frames + 2  # the Init and Load passes present too
        fields = self.probed(variant, command, swaps)
        self.add(("memory", variant), int(fields["vmhwm_kb"]) / 1024.0)
        self.info[f"memory_process_{variant}"] = fields["comm"]

    # --- the probes that print their own numbers

    def font_once(self, variant):
        command = self.command(variant, [self.p.font_probe], self.p.font_probe_exe)
        output = run_checked(command, self.env(variant), timeout=300)
        found = re.search(r"create (\S+) bitmaps (\S+) polygons (\S+) lines (\S+) widths (\S+)",
                          output)
        if not found:
            raise BenchError(f"font_probe ({variant}) printed: {output[-500:]}")
        parts = [float(value) * 1e3 for value in found.groups()]
        for name, value in zip(("create", "bitmaps", "polygons", "lines", "widths"), parts):
            self.add((f"font_{name}", variant), value)
        self.add(("font", variant), sum(parts))

    def frame_once(self, variant):
        """One frame program. On a large screen (`wide_native`, `sxga_floor`,
        `wide_gl`, ...) the measure is `frame_<prefix>` and its value the CPU
        time of the program and of the X server together per frame, with the
        two parts and the wall time as sub-measures."""
        prefix, _, shown = variant.partition("_")
        large = self.large.get(prefix) if shown else None
        frames = self.s["wide_frames" if large else "frames"]
        arguments = ["--frames", str(frames)]
        if large:
            arguments += ["--server-pid", str(large.process.pid)]
        programs = {"floor": self.p.floor_frame, "wide_floor": self.p.floor_blit,
                    "sxga_floor": self.p.floor_blit}
        if variant in programs:
            command = [programs[variant]] + arguments
        else:
            command = self.command(variant, [self.p.frame_bench],
                                   self.p.frame_bench_exe) + arguments
        output = run_checked(command, self.env(variant), timeout=900)
        found = re.search(r"frames (\d+) cpu_s (\S+) wall_s (\S+)", output)
        if not found:
            raise BenchError(f"frame program ({variant}) printed: {output[-500:]}")
        frames = int(found.group(1))
        process = float(found.group(2)) / frames * 1e6
        if large:
            server = re.search(r"^server_cpu_s (\S+)$", output, re.M)
            if not server:
                raise BenchError(f"frame program ({variant}) printed no server CPU time")
            measure = f"frame_{prefix}"
            server_us = float(server.group(1)) / frames * 1e6
            self.add((measure, shown), process + server_us)
            self.add((f"{measure}_process", shown), process)
            self.add((f"{measure}_server", shown), server_us)
        else:
            measure, shown = "frame", variant
            self.add((measure, shown), process)
        self.add((f"{measure}_wall", shown), float(found.group(3)) / frames * 1e6)
        for key in ("renderer", "version", "buffers"):
            line = re.search(rf"^{key} (.*)$", output, re.M)
            if line:
                self.info[f"gl_{key}_{variant}"] = line.group(1).strip()
        output_line = re.search(r"^output (.*)$", output, re.M)
        if output_line:
            self.info[f"output_{variant}"] = output_line.group(1).strip()

    # --- pacing, under openbox on the 1280x1024 screen

    PACED = {  # variant -> the program's arguments
        "fullscreen": [], "fullscreen_no_vsync": ["--no-vsync"], "window": ["--window"],
        "window_no_vsync": ["--window", "--no-vsync"], "max_fps_30": ["--max-fps", "30"],
        "hidden": [], "wine": None}

    def pacing_rounds(self):
        # plumo.exe changes the display mode, which an Xvfb cannot: under Wine
        # it is paced on the 640x480x16 screen, under openbox there too.
        with Openbox(self.large["sxga"].display, self.work, SXGA_SCREEN) as desktop, \
                Openbox(self.display, os.path.join(self.work, "wine"), SCREEN):
            self.desktop = desktop
            self.rounds("pacing", self.s["pace_runs"], tuple(self.PACED), self.pacing_once)

    def pacing_once(self, variant):
        self.count += 1
        base = os.path.join(self.work, "probe", f"{self.count:04d}-pace-{variant}")
        os.makedirs(os.path.dirname(base), exist_ok=True)
        display = self.large["sxga"].display
        if variant == "wine":
            command, env = ["wine", self.p.plumo_exe], self.wine.env()
        else:
            command = [self.p.plumo] + self.PACED[variant]
            env = dict(base_env(display), HOME=self.desktop.work,
                       XDG_CONFIG_HOME=os.path.join(self.desktop.work, "config"))
        program = pacing.Watched(command, env, base + ".txt", base + ".log", self.p.probe)
        try:
            if program.wait_for_present(0, 120) is None:
                raise BenchError(f"{variant} presented nothing (see {base}.log)")
            # Past the start-up frames and the unpaced ones that show whether
            # the driver paces.
            time.sleep(max(1.0, self.s["pace_seconds"] / 5))
            if variant == "hidden":
                self.hidden_once(program, display)
                return
            start, end, cpu = program.watch(self.s["pace_seconds"])
            rate, median, p99 = pacing.summary(program.times(), start, end)
        finally:
            program.stop()
        if variant.endswith("_no_vsync"):
            shown = variant[:-len("_no_vsync")]
            self.add((f"pace_cpu_{shown}", "no_vsync"), 100 * cpu)
            self.add((f"pace_cpu_{shown}", "sixty"), 100 * 60 * cpu / rate)
            return
        if variant == "max_fps_30":
            self.add(("pace_rate_max_fps_30", "native"), rate)
            return
        shown, column = ("fullscreen", "wine") if variant == "wine" else (variant, "native")
        self.add((f"pace_rate_{shown}", column), rate)
        self.add((f"pace_cpu_{shown}", column), 100 * cpu)
        if median is not None:
            self.add((f"pace_median_{shown}", column), median)
            self.add((f"pace_p99_{shown}", column), p99)

    def hidden_once(self, program, display):
        """Minimised: what the program and the X server still spend; then
        restored: how soon the first frame comes."""
        env = base_env(display)
        window = run_checked(["xdotool", "search", "--sync", "--onlyvisible", "--name", "^Plumo$"],
                             env, timeout=30).split()[0]
        run_checked(["xdotool", "windowminimize", "--sync", window], env, timeout=30)
        time.sleep(0.5)  # the minimise reaches the program
        server = self.large["sxga"].process.pid
        server_cpu = pacing.cpu_seconds(server)
        start, end, cpu = program.watch(self.s["pace_seconds"])
        server_share = (pacing.cpu_seconds(server) - server_cpu) / (end - start)
        self.add(("hidden_presents", "native"), len(pacing.within(program.times(), start, end)))
        self.add(("hidden_cpu", "native"), 100 * cpu)
        self.add(("hidden_server_cpu", "native"), 100 * server_share)
        asked = time.monotonic()
        run_checked(["xdotool", "windowactivate", "--sync", window], env, timeout=30)
        first = program.wait_for_present(asked, 5)
        if first is None:
            raise BenchError("no frame within 5 s of the restore")
        self.add(("restore", "native"), 1000 * (first - asked))

    # --- callgrind

    def callgrind_once(self, variant):
        program = self.p.floor_frame if variant == "floor" else self.p.frame_bench
        frames = self.s["profile_frames"]
        self.count += 1
        prefix = os.path.join(self.work, "callgrind", f"{self.count:04d}-{variant}")
        os.makedirs(os.path.dirname(prefix), exist_ok=True)
        env = base_env(self.display)
        env["LP_NUM_THREADS"] = "0"  # Mesa rasterises on the calling thread: counted, repeatable
        # On one core the layer starts no glyph helpers, whose work the marks
        # (toggled on the main thread) would not count: the whole work, in turn.
        pin = ["taskset", "-c", "0"] if shutil.which("taskset") else []
        run_checked(pin + ["valgrind", "--tool=callgrind", "--collect-atstart=no",
                     f"--callgrind-out-file={prefix}.%p.out", program, "--warmup", "3",
                     "--profile-frames", str(frames)], env, timeout=1800)
        totals = {}
        directory = os.path.dirname(prefix)
        for name in sorted(os.listdir(directory)):
            if not name.startswith(os.path.basename(prefix) + "."):
                continue
            with open(os.path.join(directory, name), errors="replace") as dump:
                text = dump.read()
            trigger = re.search(r"^desc: Trigger: Client Request: (\S+)", text, re.M)
            total = re.search(r"^(?:summary|totals): (\d+)", text, re.M)
            if trigger and total:
                totals[trigger.group(1)] = int(total.group(1))
        if variant != "floor":
            if "load" not in totals:
                raise BenchError(f"no callgrind dump for the Load pass in {directory}")
            self.add(("ir_load", variant), totals["load"] / 1e6)
        if "render" not in totals or "frame" not in totals:
            raise BenchError(f"no callgrind dumps for the frames in {directory} (is "
                             "valgrind/callgrind.h installed?)")
        self.add(("ir_render", variant), totals["render"] / frames / 1e6)
        self.add(("ir_frame", variant), totals["frame"] / frames / 1e6)

    # --- the whole run

    def rounds(self, name, runs, variants, action):
        say(f"{name}: {runs} round(s) of {', '.join(variants)}")
        for index in range(runs):
            for variant in variants:
                self.attempt(f"{name} {variant} run {index + 1}", lambda v=variant: action(v))

    def run(self):
        s = self.s
        self.info["loadavg_start"] = load_average()
        self.wine.keep_up()
        # Untimed: fills the page cache, Mesa's shader cache and Wine's services.
        if s["warm_up"]:
            say("warm-up runs (not timed)")
            for variant in ("native", "wine", "floor"):
                self.attempt(f"warm-up {variant}",
                             lambda v=variant: self.startup_once(v, timed=False))
        self.rounds("start-up", s["startup_runs"], ("native", "wine", "floor"), self.startup_once)
        self.rounds("font building", s["font_runs"], ("native", "wine"), self.font_once)
        self.rounds("frame cost", s["frame_runs"],
                    ("native", "wine", "floor", "direct", "wide_native", "wide_floor", "wide_gl",
                     "sxga_native", "sxga_floor", "sxga_gl"),
                    self.frame_once)
        self.rounds("memory", s["memory_runs"], ("native", "wine", "floor"), self.memory_once)

        # Wine from nothing: every run starts its own wineserver and services.
        say(f"start-up with no wineserver running: {s['cold_runs']} run(s)")
        for index in range(s["cold_runs"]):
            self.wine.stop()
            self.attempt(f"start-up wine-cold run {index + 1}",
                         lambda: self.startup_once("wine_cold"))
        self.wine.stop()
        self.pacing_rounds()

        self.info["loadavg_end"] = load_average()

        if not shutil.which("valgrind"):
            self.errors.append("callgrind: valgrind is not installed")
        else:
            self.rounds("callgrind", s["callgrind_runs"], ("native", "floor"),
                        self.callgrind_once)


def first_line(command, pattern=""):
    """The first line of a command's output that matches `pattern`."""
    try:
        result = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                                timeout=60)
    except (OSError, subprocess.TimeoutExpired):
        return "?"
    for line in result.stdout.decode(errors="replace").splitlines():
        if re.search(pattern, line):
            return line.strip()
    return "?"


def machine_facts():
    """What the table's machine notes name, read while the run happens."""
    facts = {"cores": os.cpu_count(), "system": f"{platform.system()} {platform.release()}"}
    with contextlib.suppress(OSError), open("/proc/cpuinfo") as cpuinfo:
        found = re.search(r"^model name\s*:\s*(.*)$", cpuinfo.read(), re.M)
        facts["cpu"] = found.group(1) if found else "?"
    with contextlib.suppress(OSError), open("/proc/meminfo") as meminfo:
        found = re.search(r"^MemTotal:\s*(\d+) kB", meminfo.read(), re.M)
        facts["memory"] = f"{int(found.group(1)) / 1024 / 1024:.1f} GiB" if found else "?"
    facts["xvfb"] = first_line(["dpkg-query", "-W", "-f=${Version}", "xvfb"])
    facts["sdl"] = first_line(["pkg-config", "--modversion", "sdl2"])
    facts["wine"] = first_line(["wine", "--version"], "^wine-")
    facts["compiler"] = first_line(["c++", "--version"])
    facts["cross_compiler"] = first_line(["x86_64-w64-mingw32-g++-win32", "--version"])
    return facts


def load_average():
    with contextlib.suppress(OSError), open("/proc/loadavg") as loadavg:
        return " ".join(loadavg.read().split()[:3])
    return "?"


def measure(programs, settings, work_dir, wine_prefix, mode):
    """Runs every round on two private X servers; returns the Results. Raises
    BenchError (or RuntimeError, OSError) when the run cannot start."""
    programs.check()
    started = datetime.datetime.now(datetime.timezone.utc)
    with Xvfb(SCREEN, os.path.join(work_dir, "xvfb.log")) as xvfb, \
            Xvfb(WIDE_SCREEN, os.path.join(work_dir, "xvfb-wide.log")) as wide, \
            Xvfb(SXGA_SCREEN, os.path.join(work_dir, "xvfb-sxga.log")) as sxga:
        say(f"Xvfb {SCREEN} on {xvfb.display}, {WIDE_SCREEN} on {wide.display}, "
            f"{SXGA_SCREEN} on {sxga.display}")
        wine = Wine(wine_prefix, xvfb.display)
        with wine.prefix.locked():
            try:
                wine.ensure_prefix()
                bench = Bench(work_dir, settings, programs, xvfb.display,
                              {"wide": wide, "sxga": sxga}, wine)
                bench.run()
            finally:
                wine.stop()
    bench.info.update(machine_facts())
    return results.Results(
        settings=settings, samples=bench.samples, info=bench.info, errors=bench.errors,
        started=started.strftime("%Y-%m-%d %H:%M UTC"), mode=mode,
        minutes=(time.monotonic() - bench.elapsed_from) / 60, screens=[SCREEN, WIDE_SCREEN, SXGA_SCREEN])
