"""The lines the swap probe (tools/bench/swap_probe.c) writes in its counting
mode, PLUMO_SWAP_PROBE_AT=0: one "swap=N now_ns=T" a present. Read by the
end-to-end pacing cases and the benchmark's pacing rows."""

PROBE_LINE_START = "swap="


def present_times(path):
    """The CLOCK_MONOTONIC times, in seconds, of the presents in a probe file
    (none for a file not yet written)."""
    try:
        with open(path, "rb") as probe:
            lines = probe.read().decode(errors="replace").splitlines()
    except FileNotFoundError:
        return []
    times = []
    for line in lines:
        fields = dict(item.split("=", 1) for item in line.split() if "=" in item)
        if line.startswith(PROBE_LINE_START) and "now_ns" in fields:
            times.append(int(fields["now_ns"]) / 1e9)
    return times
