"""What /proc says of processes' time: their CPU time, and how long they have
waited for a CPU. Shared by the end-to-end cases and the benchmark."""

import os


def _stat_fields(pid):
    """The fields of /proc/PID/stat after the command name (state first)."""
    with open(f"/proc/{pid}/stat") as stat:
        return stat.read().rsplit(")", 1)[1].split()


def cpu_seconds(pid):
    """User and system CPU time of one process, in seconds."""
    fields = _stat_fields(pid)
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def session_members(session_id):
    """The processes of a session: a program and what it started (under Wine,
    the loader execs into the process that draws)."""
    members = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            if int(_stat_fields(entry)[3]) == session_id:  # after state, ppid, pgrp
                members.append(int(entry))
        except (OSError, IndexError, ValueError):
            continue  # it ended while being read
    return members


def session_cpu_seconds(session_id):
    """CPU time of every process in a session, in seconds."""
    total = 0.0
    for pid in session_members(session_id):
        try:
            total += cpu_seconds(pid)
        except (OSError, IndexError, ValueError):
            continue
    return total


def cpu_wait(pids):
    """Seconds the main threads of these processes have spent ready to run but
    waiting for a CPU (the kernel's run delay), in total so far."""
    total = 0
    for pid in pids:
        try:
            with open(f"/proc/{pid}/schedstat") as stats:
                total += int(stats.read().split()[1])
        except (OSError, IndexError, ValueError):
            pass  # gone, or a kernel without scheduler statistics
    return total / 1e9
