"""What one benchmark run measured, as measure.py hands it to report.py, and
as results.json keeps it, so a table can be made again without measuring."""

import dataclasses
import json


@dataclasses.dataclass
class Results:
    settings: dict  # repetitions and frame counts (measure.FULL or QUICK)
    samples: dict  # (measure, variant) -> list of numbers
    info: dict  # what the run saw: GL renderers, processes, load averages
    errors: list  # measurements that failed, one line each
    started: str  # "YYYY-MM-DD HH:MM UTC"
    mode: str  # "full" or "quick"
    minutes: float  # how long the timed rounds took
    screens: list  # the two X screens, "WxHxD"
    commit: str = "?"


def save(results, path):
    record = dataclasses.asdict(results)
    # JSON keys are strings: "measure/variant".
    record["samples"] = {f"{measure}/{variant}": values
                         for (measure, variant), values in results.samples.items()}
    with open(path, "w") as out:
        json.dump(record, out, indent=1)


def load(path):
    with open(path) as source:
        record = json.load(source)
    record["samples"] = {tuple(key.split("/", 1)): values
                         for key, values in record["samples"].items()}
    return Results(**record)
