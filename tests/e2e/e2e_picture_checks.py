"""The picture checks of the end-to-end cases, on screenshots already read
back as the demo's 640x480 picture (e2e_letterbox.View): the captions' place
and timeline, the grid's colours and where the projection puts them, and the
black bars around a scaled picture."""

import itertools
import math

from e2e_letterbox import EDGE_PIXELS, lit_pixels
from e2e_picture import (BLUE_BITS, BLUE_PER_COLUMN, CAPTION_BASELINE_ROW, CAPTION_SLOTS,
                         CAPTION_X, CYCLE_SECONDS, FONT_PIXELS, GREEN_AMPLITUDE, GREEN_BITS,
                         GRID_CELLS, HEIGHT, LEVEL_SLACK, RED, RED_BITS, SLOT_SECONDS, WIDTH,
                         Camera, GridColours, blue_along_x, column_agreement, green_range,
                         mask_difference, quantised)

# The shown frame trails the scene clock by up to one frame and a swap, which
# on a busy machine under Wine can take a few tenths of a second, and by as
# long again as the program and the X server waited for a CPU meanwhile
# (Shot.lag, measured by e2e_session.capture): on a machine shared with other
# work that can be seconds.
FRAME_LAG = 0.3
# A short look at the picture sees the first captions and two changes
# between them, which fix the scene clock's start.
SHORT_RUNS = 3
# Gaps between screenshots long enough to hide a caption slot that are
# resolved, and slots one of them may hide.
MAX_GAPS = 4
MAX_SKIPPED = 3


def check_picture(report, shots, timeline, clock=True):
    """Caption place and the grid, and the captions' timeline: `whole` (a
    cycle and its return), `start` (its first few captions), or None for
    screenshots taken later in the run, whose grid green is then held to
    the range of the whole cycle.

    The grid's green goes with the scene time of the frame a screenshot
    shows. With `clock`, that time is bounded by the screenshot's own time
    and the scene clock's start, for a frame shown at most FRAME_LAG after
    its swap and however long the program and the X server then waited for
    a CPU. Under a compositor, whose repaint sits between the swap and the
    screen, nothing bounds that delay on a busy machine; there (clock False)
    each screenshot's frame lies in the slot of the caption it shows, and
    the frames of successive screenshots follow each other in time."""
    runs = caption_runs(report, shots)
    captioned = [shot for run in runs for shot in run]
    report.require(captioned, "some screenshots show a caption")
    check_caption_place(report, captioned)
    if not timeline:
        check_grid(report, captioned, lambda shot: [(0.0, CYCLE_SECONDS)])
        return
    slots, low, high = check_timeline(report, runs, captioned, timeline == "whole")
    if clock:
        check_grid(report, captioned, lambda shot: scene_times(shot, low, high), pulse=True)
    else:
        starts = {shot.index: SLOT_SECONDS * slot for run, slot in zip(runs, slots)
                  for shot in run}
        check_grid(report, captioned, lambda shot: [slot_span(starts[shot.index])], pulse=True,
                   in_order=lambda shot: starts[shot.index])


def slot_span(start):
    """The scene times of a caption slot starting `start` seconds after the
    clock's first start (a later cycle's slot in that cycle's own time)."""
    begin = start % CYCLE_SECONDS
    return begin, begin + SLOT_SECONDS


def check_dropped(report, shots):
    """Through linear filtering, samples at colour edges are set aside; a
    picture scaled twice or from the wrong size loses most of its pixels."""
    lit = [(shot.dropped, shot.dropped + lit_pixels(shot.pixels())) for shot in shots]
    share = sum(d for d, _ in lit) / max(1, sum(t for _, t in lit))
    report.note(f"{share:.3f} of the lit samples set aside as colour edges")
    report.check(share <= 0.5, "at most half the picture lies on colour edges")


def check_bars(report, shots, what):
    """Every screenshot shows black outside the picture's rectangle, and the
    picture reaching its top row, bottom row and left column."""
    outside = max(shot.lit_outside for shot in shots)
    edges = [min(shot.edges[i] for shot in shots) for i in range(3)]
    report.note(f"{what}: at most {outside} lit pixels outside the picture; at least "
                f"{edges[0]}, {edges[1]}, {edges[2]} lit along its top row, bottom row and "
                f"left column")
    report.check(outside == 0, f"{what}: the bars around the picture are black")
    report.check(min(edges) >= EDGE_PIXELS,
                 f"{what}: the picture reaches the rectangle's top, bottom and left edges")


def caption_runs(report, shots):
    """Consecutive screenshots with the same caption, as lists of shots.

    A screenshot that matches neither its predecessor nor its successor, while
    they match each other or several screenshots fall in a slot, caught a
    frame half presented: it is set aside and counted.
    """
    runs = []
    for shot in shots:
        if not shot.white:
            continue  # the frame at the end of the cycle shows no caption
        if runs and mask_difference(runs[-1][-1], shot) <= 0.02:
            runs[-1].append(shot)
        else:
            runs.append([shot])
    kept, torn = [], 0
    for i, run in enumerate(runs):
        lone = len(run) == 1 and 0 < i < len(runs) - 1
        if lone and len(runs[i - 1]) >= 2 and len(runs[i + 1]) >= 2:
            torn += 1
            continue
        if kept and mask_difference(kept[-1][-1], run[0]) <= 0.02:
            kept[-1].extend(run)  # the two sides of a set-aside screenshot
        else:
            kept.append(run)
    blank = sum(1 for shot in shots if not shot.white)
    report.note(f"{torn} screenshot(s) set aside as half presented, {blank} without a caption")
    report.check(torn <= 2, "at most 2 screenshots catch a frame half presented")
    report.check(blank <= 2, "at most 2 screenshots show no caption (the cycle's reset frame)")
    return kept


def clock_bounds(runs, slots):
    """Bounds of the wall-clock moment at which the scene clock was 0, given
    each run's caption slot. Slot s starts 2s s after that moment, so the
    change into it shows between the last screenshot of one run and the
    first of the next, no earlier than 2s s after the origin and no later
    than a frame after that. Only the first cycle's changes count: the cycle
    starts again at the first frame at or after 24 s, not at 24 s."""
    low, high = -math.inf, math.inf
    for k in range(1, len(runs)):
        if slots[k] >= CAPTION_SLOTS:
            break
        before, after = runs[k - 1][-1], runs[k][0]
        low = max(low, before.start - SLOT_SECONDS * slots[k] - FRAME_LAG - before.lag)
        high = min(high, after.end - SLOT_SECONDS * slots[k])
    return low, high


def caption_slots(runs):
    """The caption slot of each run, counted from the first (slot 0), and the
    clock's bounds. Consecutive runs are consecutive slots, except where the
    screenshots left a gap in which a whole slot could pass unseen (a machine
    too busy to take them): there the fewest skipped slots that keep every
    change on one clock, started by the first screenshot of slot 0, are
    taken."""
    gaps = [k for k in range(1, len(runs))
            if runs[k][0].end - runs[k - 1][-1].start > SLOT_SECONDS][:MAX_GAPS]
    for skipped in itertools.product(range(MAX_SKIPPED + 1), repeat=len(gaps)):
        extra = dict(zip(gaps, skipped))
        slots = [0]
        for k in range(1, len(runs)):
            slots.append(slots[-1] + 1 + extra.get(k, 0))
        low, high = clock_bounds(runs, slots)
        if low <= min(high, runs[0][0].end):
            return slots, low, high
    slots = list(range(len(runs)))
    return (slots, *clock_bounds(runs, slots))


def check_caption_place(report, shots):
    lefts, tops, bottoms, above = [], [], [], []
    for shot in shots:
        pixels = shot.white_pixels()
        xs = [x for x, _ in pixels]
        ys = [y for _, y in pixels]
        lefts.append(min(xs))
        tops.append(min(ys))
        bottoms.append(max(ys))
        above.append(sum(1 for y in ys if y < CAPTION_BASELINE_ROW) / len(ys))
    report.note(f"caption box over {len(shots)} screenshots: left {min(lefts)}..{max(lefts)}, "
                f"top {min(tops)}..{max(tops)}, bottom {min(bottoms)}..{max(bottoms)}, "
                f"share above row {CAPTION_BASELINE_ROW}: {min(above):.2f}..{max(above):.2f}")
    # The first glyph's left bearing is a few pixels of a 48-pixel face.
    report.check(all(CAPTION_X - 4 <= x <= CAPTION_X + 10 for x in lefts),
                 f"the leftmost caption pixel is near x = {CAPTION_X:.0f}")
    report.check(all(y >= CAPTION_BASELINE_ROW - FONT_PIXELS for y in tops),
                 f"no caption pixel is more than {FONT_PIXELS} px above the baseline row")
    report.check(all(y <= CAPTION_BASELINE_ROW + FONT_PIXELS // 3 for y in bottoms),
                 "only descenders reach below the baseline row")
    report.check(all(share >= 0.8 for share in above),
                 f"most caption pixels lie above row {CAPTION_BASELINE_ROW}")


def check_timeline(report, runs, shots, whole_cycle=True):
    """The captions' changes against one clock; returns each run's slot and
    the bounds of the clock's start."""
    report.note("caption runs: " + ", ".join(
        f"{len(run)}x[{run[0].start - runs[0][0].start:.1f}..{run[-1].end - runs[0][0].start:.1f}]"
        for run in runs))
    slots, low, high = caption_slots(runs)
    skipped = slots[-1] + 1 - len(runs)
    if skipped:
        report.note(f"{skipped} caption slot(s) fell between two screenshots: slots {slots}")
    if whole_cycle:
        report.require(slots[-1] >= CAPTION_SLOTS, f"{CAPTION_SLOTS} captions and the first "
                       f"again are seen (got {len(runs)} runs up to slot {slots[-1]})")
    else:
        report.require(len(runs) >= SHORT_RUNS,
                       f"the first {SHORT_RUNS} captions are seen (got {len(runs)} runs)")
    report.note(f"scene clock 0 at {low - runs[0][0].start:+.2f}..{high - runs[0][0].start:+.2f} s "
                f"from the first caption screenshot")
    report.require(low <= high, "every caption change falls on a multiple of 2 s of one clock")
    report.check(runs[0][0].end >= low and runs[0][0].start <= high + SLOT_SECONDS,
                 "the first caption seen is the one of the first two seconds")
    if whole_cycle:
        check_cycle_return(report, runs, slots, low, high)
    first_cycle = [run for run, slot in zip(runs, slots) if slot < CAPTION_SLOTS]
    distinct = all(mask_difference(first_cycle[a][0], first_cycle[b][0]) > 0.3
                   for a in range(len(first_cycle)) for b in range(a))
    report.check(distinct, f"the {len(first_cycle)} captions of a cycle seen all differ")
    pairs = changed = 0
    for i, shot in enumerate(shots):
        later = next((s for s in shots[i + 1:]
                      if s.start >= shot.end + SLOT_SECONDS + FRAME_LAG + s.lag), None)
        if later is None or not shot.white or not later.white:
            continue
        pairs += 1
        changed += mask_difference(shot, later) > 0.3
    report.check(pairs > 0 and changed == pairs,
                 f"screenshots 2 s apart show different captions ({changed} of {pairs} pairs)")
    return slots, low, high


def check_cycle_return(report, runs, slots, low, high):
    """The cycle restarts at the first frame at or after 24 s, with the same
    captions as the first time."""
    first_seen = {slot: run for run, slot in zip(runs, slots)}
    later = [(run, slot) for run, slot in zip(runs, slots) if slot >= CAPTION_SLOTS]
    returned, slot = later[0]
    start = SLOT_SECONDS * slot
    report.check(low + start - 0.1 <= returned[0].end
                 and returned[0].start <= high + start + FRAME_LAG + returned[0].lag + 0.5,
                 f"the cycle starts again {CYCLE_SECONDS:.0f} s after the clock's start (its "
                 f"caption {slot - CAPTION_SLOTS + 1} first seen "
                 f"{returned[0].start - runs[0][0].start:.1f} s after the first caption)")
    for run, slot in later:
        earlier = first_seen.get(slot - CAPTION_SLOTS)
        if earlier is None:
            continue
        difference = mask_difference(run[0], earlier[0])
        report.check(difference <= 0.05,
                     f"caption {slot - CAPTION_SLOTS + 1} of the second cycle matches the first "
                     f"({difference:.3f} of its pixels differ)")


def scene_times(shot, low, high):
    """The scene-time spans a screenshot can show, given the clock's start.

    Near the end of a cycle it may show either the last frames of the first
    cycle or, after the reset, the first of the second.
    """
    spans = []
    lag = FRAME_LAG + shot.lag
    for cycle in (0, 1):
        t_low = shot.start - high - lag - cycle * (CYCLE_SECONDS + lag)
        t_high = shot.end - low - cycle * CYCLE_SECONDS
        t_low, t_high = max(t_low, 0.0), min(t_high, CYCLE_SECONDS + lag)
        if t_low <= t_high:
            spans.append((t_low, t_high))
    return spans


def green_at(t):
    return quantised(GREEN_AMPLITUDE * max(0.0, math.sin(t)), GREEN_BITS)


def greens_in_order(greens):
    """Whether scene times can be found, one per screenshot and never going
    back, each in its screenshot's slot, at which the grid's green is the one
    seen. `greens`: (slot start since the clock's first start, green) in the
    screenshots' order. The earliest fitting time for each is taken, which
    leaves the most room for those after it."""
    step = 0.002
    t = 0.0
    for start, green in greens:
        t = max(t, start)
        while t < start + SLOT_SECONDS and abs(green_at(t % CYCLE_SECONDS) - green) > LEVEL_SLACK:
            t += step
        if t >= start + SLOT_SECONDS:
            return False, start
    return True, None


def check_grid(report, shots, spans_of, pulse=False, in_order=None):
    """Colours of the grid against its numbers, on every third screenshot:
    the green against the scene times spans_of(shot) allows and, with
    in_order (a screenshot's slot start since the clock's first start), in a
    succession of scene times that never goes back."""
    camera = Camera()
    red_expected = quantised(RED, RED_BITS)
    blue_levels = [quantised(BLUE_PER_COLUMN * c, BLUE_BITS) for c in range(GRID_CELLS)]
    sampled = shots[::3]
    greens_seen = []
    good = 0
    for n, shot in enumerate(sampled):
        colours = GridColours(shot.pixels())
        red_share = colours.share(lambda c: abs(c[0] - red_expected) <= LEVEL_SLACK)
        blue_share = colours.share(
            lambda c: any(abs(c[2] - level) <= LEVEL_SLACK for level in blue_levels))
        green = colours.dominant_green()
        green_share = (colours.share(lambda c: abs(c[1] - green) <= LEVEL_SLACK)
                       if green is not None else 0.0)
        times = spans_of(shot)
        if not times:
            report.note(f"shot {shot.index} falls outside the two cycles the clock allows")
            greens_seen.append((0.0, None))
            continue
        g_low = min(green_range(*span)[0] for span in times)
        g_high = max(green_range(*span)[1] for span in times)
        t_low, t_high = times[0]
        greens_seen.append(((t_low + t_high) / 2, green))
        ok = (colours.total >= 0.05 * WIDTH * HEIGHT and red_share >= 0.99
              and blue_share >= 0.99 and green_share >= 0.99
              and green is not None and g_low - LEVEL_SLACK <= green <= g_high + LEVEL_SLACK)
        good += ok
        if not ok or n == 0:
            report.note(f"shot {shot.index} at scene time {t_low:.2f}..{t_high:.2f} s: "
                        f"{colours.total} grid px; red {red_expected:.0f} on {red_share:.3f}, "
                        f"a column's blue on {blue_share:.3f}, green {green} (expected "
                        f"{g_low:.0f}..{g_high:.0f}) on {green_share:.3f}")
    report.check(good == len(sampled),
                 f"{good} of {len(sampled)} screenshots show a grid of red 0.2, "
                 f"green max(0, 0.3 sin t) and blue 0.025 x column")
    report.note("grid green by scene time: "
                + " ".join(f"{t:.1f}s:{g}" for t, g in greens_seen))
    if in_order:
        ordered, slot = greens_in_order([(in_order(shot), green) for shot, (_, green)
                                         in zip(sampled, greens_seen) if green is not None])
        report.check(ordered, "the grid's green follows 0.3 sin t through the screenshots in "
                              "order, each within its caption's slot"
                              + ("" if ordered else f" (not in the slot from {slot:.0f} s)"))
    if pulse:  # seconds 0 to 7 at least: past a peak and a trough
        peak = quantised(GREEN_AMPLITUDE, GREEN_BITS)
        greens = [g for _, g in greens_seen if g is not None]
        report.check(greens and min(greens) == 0 and max(greens) >= 0.6 * peak,
                     f"the green pulses between 0 and up to {peak:.0f}")

    for shot in (sampled[0], sampled[len(sampled) // 2], sampled[-1]):
        data = shot.pixels()
        agree, total, outside = column_agreement(camera, data)
        r, direction = blue_along_x(camera, data)
        report.note(f"shot {shot.index}: {agree} of {total} grid px of the grid's red show a "
                    f"blue their column can have, {outside} outside the grid's reach; blue "
                    f"against screen direction ({direction[0]:.2f}, {direction[1]:.2f}) of "
                    f"world +x: correlation {r:.2f}")
        report.check(total and agree >= 0.995 * total and outside <= 0.001 * total,
                     f"shot {shot.index}: each grid pixel's blue belongs to a column its "
                     f"eye ray can meet")
        report.check(r >= 0.5, f"shot {shot.index}: blue grows along world +x on screen")
