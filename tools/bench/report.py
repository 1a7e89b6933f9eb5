"""The benchmark's table: medians with their spread, ratios against the
baselines of the same run and the targets they are held to, and the notes on
the machine, all made from a Results record (results.py) without running
anything."""

import statistics

# Targets: (measure, baseline variant, largest ratio of the native median to
# the baseline's that passes).
TARGETS = [("startup", "wine", 0.5), ("font", "wine", 0.5), ("frame", "wine", 1.0),
           ("frame", "floor", 1.5), ("frame", "direct", 1.1), ("frame_wide", "floor", 1.25),
           ("memory", "floor", 1.5)]
BASELINE_NAMES = {"wine": "Wine", "floor": "floor", "direct": "direct"}


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


def machine(info, screens):
    """The machine notes under the table, from what the run recorded."""
    screen, wide = screens
    processes = ", ".join(f"{key.split('_', 2)[2]}: {value}" for key, value in sorted(info.items())
                          if key.startswith("memory_process_"))
    return [
        f"- CPU: {info.get('cpu', '?')}, {info.get('cores', '?')} cores; "
        f"memory {info.get('memory', '?')}",
        f"- System: {info.get('system', '?')}; Xvfb {info.get('xvfb', '?')}, screens {screen} "
        f"and {wide}; SDL {info.get('sdl', '?')}",
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
