"""docs/performance.md keeps the benchmark's latest table between two marker
lines; this rewrites what is between them and leaves the rest as written."""

import os

BEGIN = "<!-- run_bench.py: begin -->"
END = "<!-- run_bench.py: end -->"


def with_section(text, section):
    """`text` with the block between the markers replaced by `section`, or
    the block added at the end where the markers are missing."""
    block = f"{BEGIN}\n{section}\n{END}"
    if BEGIN in text and END in text.split(BEGIN, 1)[1]:
        head, rest = text.split(BEGIN, 1)
        tail = rest.split(END, 1)[1]
        return head + block + tail
    return (text.rstrip() + "\n\n" if text.strip() else "# Performance\n\n") + block + "\n"


def write(path, section):
    text = ""
    if os.path.exists(path):
        with open(path) as doc:
            text = doc.read()
    with open(path, "w") as doc:
        doc.write(with_section(text, section))
