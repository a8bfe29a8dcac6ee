#!/usr/bin/env python3
"""Start and exit times of the replay tool, as medians over repeated runs.

Start: from just before the tool is started to the end of its first maze frame.
Exit: from the last picture presented to the end of the process.
Both read the tool's own monotonic-clock stamps (--bench prints them) against the same clock
here. Targets: start at most 60 ms, exit at most 10 ms.

usage: bench/start_exit.py [--runs N] PATH/TO/kirva-replay [OTHER/kirva-replay...]
Several tools are run in turn, one run each per round, so that a changing load on a shared
machine falls on all of them alike.
"""
import argparse
import re
import statistics
import subprocess
import sys
import time

START_TARGET_MS = 60.0
EXIT_TARGET_MS = 10.0
STAMPS = re.compile(r"first frame ended at ([0-9.]+) s, last picture at ([0-9.]+) s")


def load():
    with open("/proc/loadavg") as file:
        return " ".join(file.read().split()[:3])


def one_run(tool):
    started = time.monotonic()
    result = subprocess.run([tool, "--bench", "--frames", "1"], capture_output=True, text=True)
    ended = time.monotonic()
    stamps = STAMPS.search(result.stdout)
    if result.returncode != 0 or stamps is None:
        sys.exit(f"start_exit: {tool} failed: {result.stdout}{result.stderr}")
    first_frame, last_picture = (float(value) for value in stamps.groups())
    return 1000 * (first_frame - started), 1000 * (ended - last_picture), 1000 * (ended - started)


def report(tool, times):
    starts, exits, totals = zip(*times)
    print(tool)
    print(f"  start (exec to end of first frame): median {statistics.median(starts):.1f} ms, "
          f"min {min(starts):.1f}, max {max(starts):.1f}")
    print(f"  exit (last picture to process end): median {statistics.median(exits):.1f} ms, "
          f"min {min(exits):.1f}, max {max(exits):.1f}")
    print(f"  whole run: median {statistics.median(totals):.1f} ms")
    met = statistics.median(starts) <= START_TARGET_MS and statistics.median(exits) <= EXIT_TARGET_MS
    print("  targets met" if met else "  targets NOT met")
    return met


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--runs", type=int, default=30)
    parser.add_argument("tools", nargs="+")
    arguments = parser.parse_args()
    load_before = load()
    for tool in arguments.tools:
        one_run(tool)  # warms the page cache
    times = {tool: [] for tool in arguments.tools}
    for _ in range(arguments.runs):
        for tool in arguments.tools:
            times[tool].append(one_run(tool))
    print(f"{arguments.runs} runs each, load {load_before} before, {load()} after")
    met = [report(tool, times[tool]) for tool in arguments.tools]
    return 0 if all(met) else 1


if __name__ == "__main__":
    sys.exit(main())
