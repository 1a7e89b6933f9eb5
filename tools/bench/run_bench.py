#!/usr/bin/env python3
"""Plumo's benchmark: the native build, the Windows build under Wine and the
floors, measured side by side in one run on one private Xvfb (640x480x16),
and the native build's presentation on a second one (1920x1080x24).

    tools/bench/run_bench.py --build     build both trees, run, rewrite the
                                         table in docs/performance.md
    tools/bench/run_bench.py             the same without building
    tools/bench/run_bench.py --quick     few repetitions, small frame counts;
                                         writes only its work directory and
                                         its Wine prefix

Rows, each a median over repeated runs with its min-max spread:
  1. start-up: exec to the third buffer swap (Init, Load, first Render pass),
     timed by the swap_probe shim, natively, under Wine (prefix initialised;
     wineserver, services and explorer.exe already up; also with no
     wineserver running) and for the floor program that opens an SDL window
     with a GL context and presents once;
  2. font building: Font::Load's calls, timed one by one by font_probe;
  3. frame cost: process CPU time of Render + swap over many frames
     (frame_bench), and the floor frame (floor_frame); natively also with
     the layer drawing straight into the window (PLUMO_PRESENTATION=direct),
     and on the 1920x1080 screen, where the 640x480 picture is scaled to
     1440x1080, against floor_blit (a 640x480 framebuffer blitted there and
     swapped, nothing else);
  4. peak resident memory (VmHWM) of the running program after a number of
     frames, read by the shim inside the process that swaps;
  5. instruction counts from callgrind: one WaveDemo::Load, one Render, one
     Render + swap, with Mesa rasterising on the calling thread.
Ratios against the Wine and floor medians of the same run are checked against
the targets and printed as pass or miss; --quick asserts nothing about speed
and fails only when a measurement cannot be taken.

Needs Python 3 (standard library), Xvfb, wine, valgrind, and the two build
trees (see --build).
"""

import argparse
import contextlib
import datetime
import json
import os
import platform
import re
import shutil
import signal
import statistics
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests",
                                "services"))
from private_xvfb import Xvfb  # noqa: E402  (shared with the tests)
from wine_prefix import WinePrefix  # noqa: E402

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
SCREEN = "640x480x16"
WIDE_SCREEN = "1920x1080x24"  # where the presentation scales the picture up

# Repetitions and frame counts.
# A frame on the 1920x1080 screen costs ten times one at 640x480: fewer of them.
FULL = dict(startup_runs=21, cold_runs=7, font_runs=15, frame_runs=11, frames=2000,
            wide_frames=300, memory_runs=7, memory_frames=300, callgrind_runs=2,
            profile_frames=5)
QUICK = dict(startup_runs=2, cold_runs=1, font_runs=2, frame_runs=2, frames=100,
             wide_frames=20, memory_runs=1, memory_frames=30, callgrind_runs=1,
             profile_frames=1)

# Targets: (measure, baseline variant, largest ratio of the native median to
# the baseline's that passes).
TARGETS = [("startup", "wine", 0.5), ("font", "wine", 0.5), ("frame", "wine", 1.0),
           ("frame", "floor", 1.5), ("frame", "direct", 1.1), ("frame_wide", "floor", 1.25),
           ("memory", "floor", 1.5)]
BASELINE_NAMES = {"wine": "Wine", "floor": "floor", "direct": "direct"}

DOC_BEGIN = "<!-- run_bench.py: begin -->"
DOC_END = "<!-- run_bench.py: end -->"


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
    def __init__(self, args, settings, programs, display, wide_display, wine):
        self.args = args
        self.s = settings
        self.p = programs
        self.display = display
        self.wide_display = wide_display
        self.wine = wine
        self.work = args.work_dir
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
        if variant.startswith("wide"):
            return base_env(self.wide_display)
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
        """One frame program: `wide_native` and `wide_floor` on the wide screen
        count as the native and floor variants of `frame_wide`."""
        frames = self.s["wide_frames" if variant.startswith("wide_") else "frames"]
        arguments = ["--frames", str(frames)]
        programs = {"floor": self.p.floor_frame, "wide_floor": self.p.floor_blit}
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
        measure, shown = (("frame_wide", variant[len("wide_"):]) if variant.startswith("wide_")
                          else ("frame", variant))
        self.add((measure, shown), float(found.group(2)) / frames * 1e6)
        self.add((f"{measure}_wall", shown), float(found.group(3)) / frames * 1e6)
        for key in ("renderer", "version", "buffers"):
            line = re.search(rf"^{key} (.*)$", output, re.M)
            if line:
                self.info[f"gl_{key}_{variant}"] = line.group(1).strip()
        output_line = re.search(r"^output (.*)$", output, re.M)
        if output_line:
            self.info[f"output_{variant}"] = output_line.group(1).strip()

    # --- callgrind

    def callgrind_once(self, variant):
        program = self.p.floor_frame if variant == "floor" else self.p.frame_bench
        frames = self.s["profile_frames"]
        self.count += 1
        prefix = os.path.join(self.work, "callgrind", f"{self.count:04d}-{variant}")
        os.makedirs(os.path.dirname(prefix), exist_ok=True)
        env = base_env(self.display)
        env["LP_NUM_THREADS"] = "0"  # Mesa rasterises on the calling thread: counted, repeatable
        run_checked(["valgrind", "--tool=callgrind", "--collect-atstart=no",
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
        say("warm-up runs (not timed)")
        for variant in ("native", "wine", "floor"):
            self.attempt(f"warm-up {variant}", lambda v=variant: self.startup_once(v, timed=False))
        self.rounds("start-up", s["startup_runs"], ("native", "wine", "floor"), self.startup_once)
        self.rounds("font building", s["font_runs"], ("native", "wine"), self.font_once)
        self.rounds("frame cost", s["frame_runs"],
                    ("native", "wine", "floor", "direct", "wide_native", "wide_floor"),
                    self.frame_once)
        self.rounds("memory", s["memory_runs"], ("native", "wine", "floor"), self.memory_once)

        # Wine from nothing: every run starts its own wineserver and services.
        say(f"start-up with no wineserver running: {s['cold_runs']} run(s)")
        for index in range(s["cold_runs"]):
            self.wine.stop()
            self.attempt(f"start-up wine-cold run {index + 1}",
                         lambda: self.startup_once("wine_cold"))
        self.wine.stop()

        self.info["loadavg_end"] = load_average()

        if not shutil.which("valgrind"):
            self.errors.append("callgrind: valgrind is not installed")
        else:
            self.rounds("callgrind", s["callgrind_runs"], ("native", "floor"),
                        self.callgrind_once)


def load_average():
    with contextlib.suppress(OSError), open("/proc/loadavg") as loadavg:
        return " ".join(loadavg.read().split()[:3])
    return "?"


# ----------------------------------------------------------------------------
# The table.


def spread(values, unit_format):
    if not values:
        return "failed"
    middle = statistics.median(values)
    if len(values) == 1:
        return unit_format(middle)
    return f"{unit_format(middle)} ({unit_format(min(values))}–{unit_format(max(values))})"


def ms(value):
    return f"{value:.0f}" if value >= 100 else f"{value:.1f}" if value >= 1 else f"{value:.2f}"


def us(value):
    return f"{value:.0f}"


def mib(value):
    return f"{value:.1f}"


def mega(value):
    return f"{value:.3f}" if value < 10 else f"{value:.1f}"


ROWS = [
    # key, label, unit formatter, variants shown, runs setting
    ("startup", "Start-up to the first Render frame (Wine already up), ms", ms, "startup_runs"),
    ("startup_init", "&nbsp;&nbsp;Init pass (exec to swap 1), ms", ms, "startup_runs"),
    ("startup_load", "&nbsp;&nbsp;Load pass (swap 1 to 2), ms", ms, "startup_runs"),
    ("startup_render", "&nbsp;&nbsp;first Render pass (swap 2 to 3), ms", ms, "startup_runs"),
    ("font", "Font building, Font::Load's calls, ms", ms, "font_runs"),
    ("font_create", "&nbsp;&nbsp;CreateFontA, 3 × glGenLists, SelectObject, ms", ms,
     "font_runs"),
    ("font_bitmaps", "&nbsp;&nbsp;wglUseFontBitmapsA, 256 lists, ms", ms, "font_runs"),
    ("font_polygons", "&nbsp;&nbsp;wglUseFontOutlinesA polygons, 256 lists, ms", ms,
     "font_runs"),
    ("font_lines", "&nbsp;&nbsp;wglUseFontOutlinesA lines, 256 lists, ms", ms, "font_runs"),
    ("font_widths", "&nbsp;&nbsp;GetCharWidthA, 256 widths, ms", ms, "font_runs"),
    ("frame", "Frame cost, process CPU µs per Render + swap", us, "frame_runs"),
    ("frame_wall", "&nbsp;&nbsp;wall µs per Render + swap (no vsync)", us, "frame_runs"),
    ("frame_direct", "&nbsp;&nbsp;native drawing straight into the window "
     "(`PLUMO_PRESENTATION=direct`), CPU µs", us, "frame_runs"),
    ("frame_wide", "Frame cost on a 1920×1080 screen (floor: a 640×480 framebuffer blitted "
     "to 1440×1080), process CPU µs per Render + swap", us, "frame_runs"),
    ("frame_wide_wall", "&nbsp;&nbsp;wall µs per Render + swap (no vsync)", us, "frame_runs"),
    ("memory", "Peak resident memory (VmHWM), MiB", mib, "memory_runs"),
    ("ir_load", "Instructions, one WaveDemo::Load, millions", mega, "callgrind_runs"),
    ("ir_render", "Instructions, one Render, millions", mega, "callgrind_runs"),
    ("ir_frame", "Instructions, one Render + swap, millions", mega, "callgrind_runs"),
]


def median(samples, key):
    values = samples.get(key)
    return statistics.median(values) if values else None


def verdicts(samples, measure):
    ratios, targets, results = [], [], []
    for target_measure, baseline, limit in TARGETS:
        if target_measure != measure:
            continue
        native = median(samples, (measure, "native"))
        base = median(samples, (measure, baseline))
        name = BASELINE_NAMES[baseline]
        targets.append(f"≤ {limit:g} × {name}")
        if native is None or not base:
            ratios.append(f"? × {name}")
            results.append("n/a")
            continue
        ratio = native / base
        ratios.append(f"{ratio:.2f} × {name}")
        results.append("**pass**" if ratio <= limit else "**miss**")
    return ", ".join(ratios), ", ".join(targets), ", ".join(results)


def table(samples, settings):
    lines = ["| Measure | native `plumo` | `plumo.exe` on Wine | floor | ratio | target | result |",
             "|---|---|---|---|---|---|---|"]
    for key, label, unit, runs in ROWS:
        cells = []
        for variant in ("native", "wine", "floor"):
            values = samples.get((key, variant))
            if key == "frame_direct" and variant == "native":
                values = samples.get(("frame", "direct"))
            cells.append(spread(values, unit) if values else "–")
        ratio, target, result = verdicts(samples, key)
        count = settings[runs]
        label = f"{label} ({count} run{'s' if count != 1 else ''})" if not label.startswith(
            "&nbsp;") else label
        lines.append(f"| {label} | {' | '.join(cells)} | {ratio} | {target} | {result} |")
    cold = samples.get(("startup", "wine_cold"))
    if cold:
        count = settings["cold_runs"]
        native = median(samples, ("startup", "native"))
        ratio = f"{native / statistics.median(cold):.2f} × Wine" if native else ""
        lines.append(f"| Start-up under Wine with no wineserver running, ms "
                     f"({count} run{'s' if count != 1 else ''}) | – | {spread(cold, ms)} | – "
                     f"| {ratio} | not a target |  |")
    return "\n".join(lines)


# ----------------------------------------------------------------------------
# The machine.


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


def machine(info):
    cpu = "?"
    with contextlib.suppress(OSError), open("/proc/cpuinfo") as cpuinfo:
        found = re.search(r"^model name\s*:\s*(.*)$", cpuinfo.read(), re.M)
        cpu = found.group(1) if found else cpu
    memory = "?"
    with contextlib.suppress(OSError), open("/proc/meminfo") as meminfo:
        found = re.search(r"^MemTotal:\s*(\d+) kB", meminfo.read(), re.M)
        memory = f"{int(found.group(1)) / 1024 / 1024:.1f} GiB" if found else memory
    xvfb = first_line(["dpkg-query", "-W", "-f=${Version}", "xvfb"])
    sdl = first_line(["pkg-config", "--modversion", "sdl2"])
    processes = ", ".join(f"{key.split('_', 2)[2]}: {value}" for key, value in sorted(info.items())
                          if key.startswith("memory_process_"))
    return [
        f"- CPU: {cpu}, {os.cpu_count()} cores; memory {memory}",
        f"- System: {platform.system()} {platform.release()}; Xvfb {xvfb}, screens {SCREEN} "
        f"and {WIDE_SCREEN}; SDL {sdl}",
        f"- On {WIDE_SCREEN}: native {info.get('gl_buffers_wide_native', '?')}; floor "
        f"{info.get('gl_buffers_wide_floor', '?')}, {info.get('output_wide_floor', '?')}",
        f"- GL natively: {info.get('gl_renderer_native', '?')}; "
        f"{info.get('gl_version_native', '?')}; {info.get('gl_buffers_native', '?')}",
        f"- GL under Wine: {info.get('gl_renderer_wine', '?')}; "
        f"{info.get('gl_version_wine', '?')}; {info.get('gl_buffers_wine', '?')}",
        f"- Wine: {first_line(['wine', '--version'], '^wine-')}",
        f"- Processes whose VmHWM was read: {processes or '?'}",
        f"- Load average (1, 5, 15 min) when the timed rounds began: "
        f"{info.get('loadavg_start', '?')}; when they ended: {info.get('loadavg_end', '?')}",
        f"- Compilers: {first_line(['c++', '--version'])}; "
        f"{first_line(['x86_64-w64-mingw32-g++-win32', '--version'])}",
    ]


def report(bench, settings, args, started):
    commit = first_line(["git", "-C", ROOT, "rev-parse", "--short", "HEAD"])
    when = started.strftime("%Y-%m-%d %H:%M UTC")
    mode = "quick" if args.quick else "full"
    lines = [
        f"Measured {when} at commit {commit} (plus any uncommitted changes), {mode} run, "
        f"in {(time.monotonic() - bench.elapsed_from) / 60:.1f} minutes.",
        "",
        "Each cell: median (min–max) over the runs named in its row; ratios are of medians.",
        "",
        table(bench.samples, settings),
        "",
        "Machine:",
        "",
    ] + machine(bench.info) + [
        "",
        "Remake it (about ten minutes on two cores):",
        "",
        "```sh",
        "tools/bench/run_bench.py --build",
        "```",
    ]
    if bench.errors:
        lines += ["", "Measurements that failed:", ""] + [f"- {e}" for e in bench.errors]
    return "\n".join(lines)


def write_doc(path, section):
    text = ""
    if os.path.exists(path):
        with open(path) as doc:
            text = doc.read()
    block = f"{DOC_BEGIN}\n{section}\n{DOC_END}"
    if DOC_BEGIN in text and DOC_END in text:
        head, rest = text.split(DOC_BEGIN, 1)
        tail = rest.split(DOC_END, 1)[1]
        text = head + block + tail
    else:
        text = (text.rstrip() + "\n\n" if text else "# Performance\n\n") + block + "\n"
    with open(path, "w") as doc:
        doc.write(text)


# ----------------------------------------------------------------------------


def build(native_dir, windows_dir):
    jobs = os.environ.get("PLUMO_JOBS", "2")
    steps = [
        ["cmake", "-S", ROOT, "-B", native_dir, "-DCMAKE_BUILD_TYPE=Release",
         "-DBUILD_TESTING=OFF"],
        ["cmake", "--build", native_dir, "-j", jobs],
        ["cmake", "-S", ROOT, "-B", windows_dir,
         f"-DCMAKE_TOOLCHAIN_FILE={ROOT}/cmake/mingw-w64.cmake", "-DCMAKE_BUILD_TYPE=Release"],
        ["cmake", "--build", windows_dir, "-j", jobs],
    ]
    for step in steps:
        say(" ".join(step))
        if subprocess.run(step, stdout=sys.stderr).returncode != 0:
            raise BenchError(f"build step failed: {' '.join(step)}")


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--quick", action="store_true",
                        help="few repetitions and frames; asserts nothing about speed")
    parser.add_argument("--build", action="store_true", help="configure and build both trees")
    parser.add_argument("--native-dir", default=os.path.join(ROOT, "build", "bench"))
    parser.add_argument("--windows-dir", default=os.path.join(ROOT, "build", "bench-windows"))
    parser.add_argument("--work-dir", help="logs, probe files, callgrind dumps, results.json")
    parser.add_argument("--wine-prefix", help="default: bench-wineprefix in --native-dir")
    parser.add_argument("--doc", help="file whose generated section is rewritten "
                        "(default: docs/performance.md, none with --quick)")
    args = parser.parse_args()

    args.native_dir = os.path.abspath(args.native_dir)
    args.windows_dir = os.path.abspath(args.windows_dir)
    args.work_dir = os.path.abspath(args.work_dir or os.path.join(
        args.native_dir, "bench-quick" if args.quick else "bench-run"))
    prefix = args.wine_prefix or os.path.join(args.native_dir, "bench-wineprefix")
    doc = args.doc or (None if args.quick else os.path.join(ROOT, "docs", "performance.md"))
    settings = QUICK if args.quick else FULL
    os.makedirs(args.work_dir, exist_ok=True)
    # Probe lines and callgrind dumps are named by their place in the run, so
    # the same names come back every run: an old one must never be read as new.
    for stale in ("probe", "callgrind"):
        shutil.rmtree(os.path.join(args.work_dir, stale), ignore_errors=True)

    # SIGTERM (a CTest timeout) unwinds like Ctrl-C, so Xvfb and wineserver stop.
    def interrupt(*_):
        raise KeyboardInterrupt()

    signal.signal(signal.SIGTERM, interrupt)

    started = datetime.datetime.now(datetime.timezone.utc)
    try:
        if args.build:
            build(args.native_dir, args.windows_dir)
        programs = Programs(args.native_dir, args.windows_dir)
        programs.check()
        with Xvfb(SCREEN, os.path.join(args.work_dir, "xvfb.log")) as xvfb, \
                Xvfb(WIDE_SCREEN, os.path.join(args.work_dir, "xvfb-wide.log")) as wide:
            say(f"Xvfb {SCREEN} on {xvfb.display}, {WIDE_SCREEN} on {wide.display}")
            wine = Wine(prefix, xvfb.display)
            try:
                wine.ensure_prefix()
                bench = Bench(args, settings, programs, xvfb.display, wide.display, wine)
                bench.run()
            finally:
                wine.stop()
    except (BenchError, RuntimeError, subprocess.TimeoutExpired, OSError) as error:
        say(str(error))  # RuntimeError: Xvfb did not start
        return 1
    except KeyboardInterrupt:
        say("interrupted")
        return 130

    section = report(bench, settings, args, started)
    print(section)
    with open(os.path.join(args.work_dir, "results.json"), "w") as results:
        json.dump({"settings": settings, "info": bench.info, "errors": bench.errors,
                   "samples": {f"{k[0]}/{k[1]}": v for k, v in bench.samples.items()}},
                  results, indent=1)
    if doc:
        write_doc(doc, section)
        say(f"wrote {doc}")
    return 1 if bench.errors else 0


if __name__ == "__main__":
    sys.exit(main())
