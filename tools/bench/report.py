"""The benchmark's table: medians with their spread, ratios against the
baselines of the same run and the targets they are held to, and the notes on
the machine, all made from a Results record (results.py) without running
anything."""

import statistics

# Targets: (measure, baseline variant, largest ratio of the native median to
# the baseline's that passes).
TARGETS = [("startup", "wine", 0.4), ("startup", "floor", 1.25), ("font", "wine", 0.4),
           ("frame", "wine", 1.0), ("frame", "floor", 1.5), ("frame", "direct", 1.1),
           ("frame_wide", "floor", 0.4), ("frame_sxga", "floor", 0.4), ("memory", "floor", 1.5),
           ("pace_cpu_fullscreen", "no_vsync", 0.5), ("pace_cpu_fullscreen", "sixty", 1.15),
           ("pace_cpu_window", "no_vsync", 0.5), ("pace_cpu_window", "sixty", 1.15)]
BASELINE_NAMES = {"wine": "Wine", "floor": "floor", "direct": "direct",
                  "no_vsync": "`--no-vsync`", "sixty": "60 frames"}

PERIOD_MS = 1000 / 60  # the paced rows' display: Xvfb names no rate, so 60 Hz
# Targets of the paced rows that are no ratio: (measure, lowest, highest)
# that the native median may take.
BOUNDS = [("pace_rate_fullscreen", 59, 61), ("pace_rate_window", 59, 61),
          ("pace_median_fullscreen", 0.98 * PERIOD_MS, 1.02 * PERIOD_MS),
          ("pace_median_window", 0.98 * PERIOD_MS, 1.02 * PERIOD_MS),
          ("pace_p99_fullscreen", 0, 1.25 * PERIOD_MS), ("pace_p99_window", 0, 1.25 * PERIOD_MS),
          ("hidden_presents", 0, 0), ("hidden_cpu", 0, 1), ("hidden_server_cpu", 0, 1),
          ("restore", 0, 100), ("pace_rate_max_fps_30", 29, 31)]


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


def share(value):
    return f"{value:.2f}" if value < 10 else f"{value:.0f}"


def count(value):
    return f"{value:.2f}" if value % 1 else f"{value:.0f}"


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
     "to 1440×1080), CPU µs of the program and the X server per presented frame", us,
     "frame_runs"),
    ("frame_wide_process", "&nbsp;&nbsp;the program's CPU µs", us, "frame_runs"),
    ("frame_wide_server", "&nbsp;&nbsp;the X server's CPU µs", us, "frame_runs"),
    ("frame_wide_wall", "&nbsp;&nbsp;wall µs per Render + swap (no vsync)", us, "frame_runs"),
    ("frame_wide_gl", "&nbsp;&nbsp;native presenting with GL (`PLUMO_PRESENTATION=gl`), CPU µs "
     "of the program and the X server", us, "frame_runs"),
    ("frame_sxga", "Frame cost on a 1280×1024 screen (picture 1280×960), CPU µs of the program "
     "and the X server per presented frame", us, "frame_runs"),
    ("frame_sxga_process", "&nbsp;&nbsp;the program's CPU µs", us, "frame_runs"),
    ("frame_sxga_server", "&nbsp;&nbsp;the X server's CPU µs", us, "frame_runs"),
    ("frame_sxga_wall", "&nbsp;&nbsp;wall µs per Render + swap (no vsync)", us, "frame_runs"),
    ("frame_sxga_gl", "&nbsp;&nbsp;native presenting with GL (`PLUMO_PRESENTATION=gl`), CPU µs "
     "of the program and the X server", us, "frame_runs"),
    ("pace_rate_fullscreen", "Paced on a 1280×1024 screen under openbox, default options, "
     "fullscreen (Wine: on the 640×480×16 screen, whose mode it asks for): presents per second",
     count, "pace_runs"),
    ("pace_median_fullscreen", "&nbsp;&nbsp;median interval between presents, ms", ms,
     "pace_runs"),
    ("pace_p99_fullscreen", "&nbsp;&nbsp;99th percentile interval, ms", ms, "pace_runs"),
    ("pace_cpu_fullscreen", "&nbsp;&nbsp;the program's CPU, % of a core (baselines: "
     "`--no-vsync`; 60 × the CPU of one `--no-vsync` frame)", share, "pace_runs"),
    ("pace_rate_window", "Paced, `--window`: presents per second", count, "pace_runs"),
    ("pace_median_window", "&nbsp;&nbsp;median interval between presents, ms", ms,
     "pace_runs"),
    ("pace_p99_window", "&nbsp;&nbsp;99th percentile interval, ms", ms, "pace_runs"),
    ("pace_cpu_window", "&nbsp;&nbsp;the program's CPU, % of a core (baselines: `--window "
     "--no-vsync`; 60 × the CPU of one such frame)", share, "pace_runs"),
    ("hidden_presents", "Minimised: presents", count, "pace_runs"),
    ("hidden_cpu", "&nbsp;&nbsp;the program's CPU, % of a core", share, "pace_runs"),
    ("hidden_server_cpu", "&nbsp;&nbsp;the X server's CPU, % of a core", share, "pace_runs"),
    ("restore", "&nbsp;&nbsp;restored: the first frame, ms after the window is shown", ms,
     "pace_runs"),
    ("pace_rate_max_fps_30", "`--max-fps 30`: presents per second", count, "pace_runs"),
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
    native = median(samples, (measure, "native"))
    for bound_measure, low, high in BOUNDS:
        if bound_measure != measure:
            continue
        targets.append(f"{low:.3g}–{high:.3g}" if low else f"≤ {high:.3g}")
        results.append("n/a" if native is None else
                       "**pass**" if low <= native <= high else "**miss**")
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
            # A sub-row that shows another variant of its measure in the native column.
            elsewhere = {"frame_direct": ("frame", "direct"), "frame_wide_gl": ("frame_wide", "gl"),
                         "frame_sxga_gl": ("frame_sxga", "gl")}
            if key in elsewhere:
                values = samples.get(elsewhere[key]) if variant == "native" else None
            cells.append(spread(values, unit) if values else "–")
        ratio, target, result = verdicts(samples, key)
        count = settings.get(runs, 0)  # 0: a run from before the row existed
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


def machine(info, screens):
    """The machine notes under the table, from what the run recorded."""
    wide = screens[1]
    named = ", ".join(screens[:-1]) + " and " + screens[-1]
    processes = ", ".join(f"{key.split('_', 2)[2]}: {value}" for key, value in sorted(info.items())
                          if key.startswith("memory_process_"))
    return [
        f"- CPU: {info.get('cpu', '?')}, {info.get('cores', '?')} cores; "
        f"memory {info.get('memory', '?')}",
        f"- System: {info.get('system', '?')}; Xvfb {info.get('xvfb', '?')}, screens {named}; "
        f"SDL {info.get('sdl', '?')}",
        f"- On {wide}: native {info.get('gl_buffers_wide_native', '?')}; floor "
        f"{info.get('gl_buffers_wide_floor', '?')}, {info.get('output_wide_floor', '?')}",
        f"- GL natively: {info.get('gl_renderer_native', '?')}; "
        f"{info.get('gl_version_native', '?')}; {info.get('gl_buffers_native', '?')}",
        f"- GL under Wine: {info.get('gl_renderer_wine', '?')}; "
        f"{info.get('gl_version_wine', '?')}; {info.get('gl_buffers_wine', '?')}",
        f"- Wine: {info.get('wine', '?')}",
        f"- Processes whose VmHWM was read: {processes or '?'}",
        f"- Load average (1, 5, 15 min) when the timed rounds began: "
        f"{info.get('loadavg_start', '?')}; when they ended: {info.get('loadavg_end', '?')}",
        f"- Compilers: {info.get('compiler', '?')}; {info.get('cross_compiler', '?')}",
    ]


def section(results):
    """The text docs/performance.md keeps between its markers."""
    lines = [
        f"Measured {results.started} at commit {results.commit} (plus any uncommitted "
        f"changes), {results.mode} run, in {results.minutes:.1f} minutes.",
        "",
        "Each cell: median (min–max) over the runs named in its row; ratios are of medians.",
        "",
        table(results.samples, results.settings),
        "",
        "Machine:",
        "",
    ] + machine(results.info, results.screens) + [
        "",
        "Remake it (about ten minutes on two cores):",
        "",
        "```sh",
        "tools/bench/run_bench.py --build",
        "```",
    ]
    if results.errors:
        lines += ["", "Measurements that failed:", ""] + [f"- {e}" for e in results.errors]
    return "\n".join(lines)
