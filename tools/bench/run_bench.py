#!/usr/bin/env python3
"""Plumo's benchmark: the native build, the Windows build under Wine and the
floors, measured side by side in one run on one private Xvfb (640x480x16),
and the native build's presentation on a second one (1920x1080x24).

    tools/bench/run_bench.py --build     build both trees, run, rewrite the
                                         table in docs/performance.md
    tools/bench/run_bench.py             the same without building
    tools/bench/run_bench.py --quick     every measurement once, with small
                                         frame counts; writes only its work
                                         directory (the smoke case bench.quick)
    tools/bench/run_bench.py --from-results results.json
                                         the table of an earlier run, and the
                                         document with --doc, measuring nothing

Three pieces, each of its own: measure.py takes the measurements (what each
row is lies there), results.py keeps them in the work directory's
results.json, report.py makes the table from them and performance_doc.py
puts it into docs/performance.md. Ratios against the Wine and floor medians
of the same run are checked against the targets and printed as pass or miss;
--quick asserts nothing about speed and fails only when a measurement cannot
be taken.

Needs Python 3 (standard library), Xvfb, wine, valgrind, and the two build
trees (see --build).
"""

import argparse
import os
import shutil
import signal
import subprocess
import sys

import measure
import performance_doc
import report
import results

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


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
        measure.say(" ".join(step))
        if subprocess.run(step, stdout=sys.stderr).returncode != 0:
            raise measure.BenchError(f"build step failed: {' '.join(step)}")


def take(args):
    """Builds where asked, measures and keeps results.json: (None, Results),
    or (exit status, None) when the run could not be made."""
    settings = measure.QUICK if args.quick else measure.FULL
    os.makedirs(args.work_dir, exist_ok=True)
    # Probe lines and callgrind dumps are named by their place in the run, so
    # the same names come back every run: an old one must never be read as new.
    for stale in ("probe", "callgrind"):
        shutil.rmtree(os.path.join(args.work_dir, stale), ignore_errors=True)

    # SIGTERM (a CTest timeout) unwinds like Ctrl-C, so Xvfb and wineserver stop.
    def interrupt(*_):
        raise KeyboardInterrupt()

    signal.signal(signal.SIGTERM, interrupt)
    try:
        if args.build:
            build(args.native_dir, args.windows_dir)
        taken = measure.measure(measure.Programs(args.native_dir, args.windows_dir), settings,
                                args.work_dir, args.wine_prefix,
                                "quick" if args.quick else "full")
    except (measure.BenchError, RuntimeError, subprocess.TimeoutExpired, OSError) as error:
        measure.say(str(error))  # RuntimeError: Xvfb did not start
        return 1, None
    except KeyboardInterrupt:
        measure.say("interrupted")
        return 130, None
    taken.commit = measure.first_line(["git", "-C", ROOT, "rev-parse", "--short", "HEAD"])
    results.save(taken, os.path.join(args.work_dir, "results.json"))
    return None, taken


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--quick", action="store_true",
                        help="every measurement once; asserts nothing about speed")
    parser.add_argument("--build", action="store_true", help="configure and build both trees")
    parser.add_argument("--native-dir", default=os.path.join(ROOT, "build", "bench"))
    parser.add_argument("--windows-dir", default=os.path.join(ROOT, "build", "bench-windows"))
    parser.add_argument("--work-dir", help="logs, probe files, callgrind dumps, results.json")
    parser.add_argument("--wine-prefix", help="default: bench-wineprefix in --native-dir")
    parser.add_argument("--doc", help="file whose generated section is rewritten "
                        "(default: docs/performance.md, none with --quick or --from-results)")
    parser.add_argument("--from-results", metavar="JSON",
                        help="make the table from an earlier run's results.json")
    args = parser.parse_args()

    if args.from_results:
        taken = results.load(args.from_results)
        doc = args.doc
    else:
        args.native_dir = os.path.abspath(args.native_dir)
        args.windows_dir = os.path.abspath(args.windows_dir)
        args.work_dir = os.path.abspath(args.work_dir or os.path.join(
            args.native_dir, "bench-quick" if args.quick else "bench-run"))
        args.wine_prefix = args.wine_prefix or os.path.join(args.native_dir, "bench-wineprefix")
        doc = args.doc or (None if args.quick else os.path.join(ROOT, "docs", "performance.md"))
        failed, taken = take(args)
        if failed is not None:
            return failed

    section = report.section(taken)
    print(section)
    if doc:
        performance_doc.write(doc, section)
        measure.say(f"wrote {doc}")
    return 1 if taken.errors else 0


if __name__ == "__main__":
    sys.exit(main())
