#!/usr/bin/env python3
"""The benchmark's reporting half on made-up results: the verdicts against
the targets, the table's cells, results.json kept and read back, and the
block of docs/performance.md that a run rewrites. Nothing is measured."""

import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools",
                                "bench"))
import pacing  # noqa: E402
import performance_doc  # noqa: E402
import report  # noqa: E402
import results  # noqa: E402

SETTINGS = dict(warm_up=False, startup_runs=2, cold_runs=1, font_runs=1, frame_runs=3, frames=30,
                wide_frames=10, memory_runs=1, memory_frames=10, pace_runs=1, callgrind_runs=1,
                profile_frames=1)


def row(text, label):
    """The table's line whose label starts with `label`, split into cells."""
    for line in text.splitlines():
        if line.startswith(f"| {label}"):
            return [cell.strip() for cell in line.strip("|").split("|")]
    raise AssertionError(f"no row {label!r} in:\n{text}")


class Verdicts(unittest.TestCase):
    def test_a_ratio_at_the_limit_passes_and_above_it_misses(self):
        # font building: native <= 0.4 x Wine.
        at_limit = {("font", "native"): [40.0], ("font", "wine"): [100.0]}
        above = {("font", "native"): [40.1], ("font", "wine"): [100.0]}
        self.assertEqual(report.verdicts(at_limit, "font"),
                         ("0.40 × Wine", "≤ 0.4 × Wine", "**pass**"))
        self.assertEqual(report.verdicts(above, "font")[2], "**miss**")

    def test_bounds_hold_the_median_between_two_values(self):
        # 60 +- 1 presents a second; at most 1 % of a core while minimised.
        def verdict(measure, *values):
            return report.verdicts({(measure, "native"): list(values)}, measure)

        self.assertEqual(verdict("pace_rate_window", 58.0, 59.0, 61.5),
                         ("", "59–61", "**pass**"))
        self.assertEqual(verdict("pace_rate_window", 61.2)[2], "**miss**")
        self.assertEqual(verdict("pace_rate_window", 58.9)[2], "**miss**")
        self.assertEqual(verdict("hidden_cpu", 0.4), ("", "≤ 1", "**pass**"))
        self.assertEqual(verdict("hidden_presents", 1)[2], "**miss**")
        self.assertEqual(report.verdicts({}, "restore"), ("", "≤ 100", "n/a"))

    def test_the_ratio_is_of_medians(self):
        samples = {("font", "native"): [10.0, 40.0, 1000.0], ("font", "wine"): [80.0, 100.0, 1.0]}
        self.assertEqual(report.verdicts(samples, "font")[0], "0.50 × Wine")

    def test_each_target_of_a_measure_gets_its_own_verdict(self):
        # frame: <= 1.0 x Wine, <= 1.5 x floor, <= 1.1 x direct.
        samples = {("frame", "native"): [300.0], ("frame", "wine"): [400.0],
                   ("frame", "floor"): [100.0], ("frame", "direct"): [290.0]}
        ratios, targets, verdicts = report.verdicts(samples, "frame")
        self.assertEqual(ratios, "0.75 × Wine, 3.00 × floor, 1.03 × direct")
        self.assertEqual(verdicts, "**pass**, **miss**, **pass**")

    def test_a_missing_measurement_is_no_verdict(self):
        for samples in ({("memory", "native"): [12.0]}, {("memory", "floor"): [8.0]},
                        {("memory", "native"): [12.0], ("memory", "floor"): [0.0]}):
            self.assertEqual(report.verdicts(samples, "memory"),
                             ("? × floor", "≤ 1.5 × floor", "n/a"))

    def test_measures_without_targets_have_none(self):
        self.assertEqual(report.verdicts({("ir_render", "native"): [1.0]}, "ir_render"),
                         ("", "", ""))


class Table(unittest.TestCase):
    def test_cells_are_median_and_spread_and_a_dash_where_nothing_was_taken(self):
        samples = {("frame", "native"): [210.0, 190.0, 250.0], ("frame", "floor"): [150.0]}
        cells = row(report.table(samples, SETTINGS), "Frame cost, process CPU")
        self.assertEqual(cells[1:4], ["210 (190–250)", "–", "150"])
        self.assertTrue(cells[0].endswith("(3 runs)"), cells[0])

    def test_a_row_of_one_run_says_so(self):
        cells = row(report.table({("font", "native"): [3.25]}, SETTINGS), "Font building")
        self.assertTrue(cells[0].endswith("(1 run)"), cells[0])
        self.assertEqual(cells[1], "3.2")

    def test_the_direct_presentation_is_shown_in_the_native_column_of_its_own_row(self):
        samples = {("frame", "direct"): [180.0]}
        self.assertEqual(row(report.table(samples, SETTINGS), "&nbsp;&nbsp;native drawing")[1],
                         "180")

    def test_wine_from_nothing_has_a_row_only_when_measured(self):
        warm = {("startup", "native"): [300.0]}
        self.assertNotIn("no wineserver running", report.table(warm, SETTINGS))
        cold = {**warm, ("startup", "wine_cold"): [1200.0]}
        cells = row(report.table(cold, SETTINGS), "Start-up under Wine with no wineserver")
        self.assertEqual(cells[2], "1200")
        self.assertEqual(cells[4], "0.25 × Wine")

    def test_every_row_has_as_many_cells_as_the_header(self):
        text = report.table({("startup", "native"): [1.0]}, SETTINGS)
        widths = {line.count("|") for line in text.splitlines()}
        self.assertEqual(widths, {8})

    def test_units_keep_their_precision(self):
        self.assertEqual([report.ms(v) for v in (123.4, 12.34, 0.1234)], ["123", "12.3", "0.12"])
        self.assertEqual([report.mega(v) for v in (1.23456, 12.345)], ["1.235", "12.3"])


class Section(unittest.TestCase):
    def taken(self, errors=()):
        return results.Results(settings=SETTINGS, samples={("startup", "native"): [300.0]},
                               info={"cpu": "Test CPU", "cores": 2,
                                     "memory_process_native": "plumo"},
                               errors=list(errors), started="2026-12-07 10:00 UTC", mode="quick",
                               minutes=1.25,
                               screens=["640x480x16", "1920x1080x24", "1280x1024x24"],
                               commit="abc1234")

    def test_says_when_where_and_how_it_was_measured(self):
        text = report.section(self.taken())
        self.assertIn("Measured 2026-12-07 10:00 UTC at commit abc1234", text)
        self.assertIn("quick run, in 1.2 minutes", text)
        self.assertIn("- CPU: Test CPU, 2 cores", text)
        self.assertIn("screens 640x480x16, 1920x1080x24 and 1280x1024x24", text)
        self.assertIn("VmHWM was read: native: plumo", text)
        self.assertNotIn("Measurements that failed", text)

    def test_lists_the_measurements_that_failed(self):
        text = report.section(self.taken(["font wine run 1: no font"]))
        self.assertTrue(text.endswith("Measurements that failed:\n\n- font wine run 1: no font"))

    def test_results_json_gives_back_the_same_table(self):
        taken = self.taken()
        taken.samples[("frame_wide", "floor")] = [1.5, 2.5]
        with tempfile.TemporaryDirectory() as work:
            path = os.path.join(work, "results.json")
            results.save(taken, path)
            again = results.load(path)
        self.assertEqual(again.samples, taken.samples)
        self.assertEqual(report.section(again), report.section(taken))


class Pacing(unittest.TestCase):
    def test_the_probe_file_gives_the_times_of_the_presents(self):
        with tempfile.TemporaryDirectory() as work:
            path = os.path.join(work, "swaps.txt")
            self.assertEqual(pacing.present_times(path), [])
            with open(path, "w") as probe:
                probe.write("swap=1 now_ns=1000000000\nswap=2 now_ns=1016000000\nswap=3 now_")
            self.assertEqual(pacing.present_times(path), [1.0, 1.016])

    def test_rate_and_intervals_count_only_the_watched_span(self):
        # 60 Hz for a second, one frame late by half a period, presents
        # before and after the span that must not count.
        times = [0.5] + [10 + i / 60 for i in range(60)] + [11.5]
        times[30] += 1 / 120
        rate, median, p99 = pacing.summary(times, 10, 11)
        self.assertEqual(rate, 60)
        self.assertAlmostEqual(median, 1000 / 60)
        self.assertAlmostEqual(p99, 1000 / 60 * 1.5)
        self.assertEqual(pacing.summary([10.2], 10, 11), (1, None, None))

    def test_the_percentile_is_by_nearest_rank(self):
        values = list(range(1, 101))
        self.assertEqual(pacing.percentile(values, 0.99), 99)
        self.assertEqual(pacing.percentile(values, 1.0), 100)
        self.assertEqual(pacing.percentile([7], 0.99), 7)


class PerformanceDoc(unittest.TestCase):
    BEFORE = f"# Performance\n\nIntro.\n\n{performance_doc.BEGIN}\nold table\n" \
             f"{performance_doc.END}\n\n## Notes\n\nKept.\n"

    def test_only_the_block_between_the_markers_changes(self):
        text = performance_doc.with_section(self.BEFORE, "new table")
        self.assertEqual(text, self.BEFORE.replace("old table", "new table"))
        self.assertEqual(performance_doc.with_section(text, "new table"), text)

    def test_the_block_is_added_where_there_is_none(self):
        self.assertEqual(performance_doc.with_section("# Perf\n\nText.\n\n", "t"),
                         f"# Perf\n\nText.\n\n{performance_doc.BEGIN}\nt\n{performance_doc.END}\n")
        self.assertEqual(performance_doc.with_section("", "t"),
                         f"# Performance\n\n{performance_doc.BEGIN}\nt\n{performance_doc.END}\n")

    def test_an_end_marker_before_the_begin_marker_is_not_a_block(self):
        text = f"{performance_doc.END}\nx\n{performance_doc.BEGIN}\n"
        self.assertTrue(performance_doc.with_section(text, "t").startswith(text.rstrip()))

    def test_writes_the_file(self):
        with tempfile.TemporaryDirectory() as work:
            path = os.path.join(work, "performance.md")
            with open(path, "w") as doc:
                doc.write(self.BEFORE)
            performance_doc.write(path, "new table")
            with open(path) as doc:
                self.assertIn("new table", doc.read())


if __name__ == "__main__":
    unittest.main()
