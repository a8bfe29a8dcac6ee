#!/usr/bin/env python3
"""Start and exit times of the replay tool, as medians over repeated runs.

Start: from just before the tool is started to the end of its first maze frame.
Exit: from the last picture presented to the end of the process.
Both read the tool's own monotonic-clock stamps (--bench prints them) against the same clock
here. Targets: start at most 60 ms, exit at most 10 ms.

usage: bench/start_exit.py PATH/TO/kirva-replay [RUNS]
"""
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


def main():
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    tool = sys.argv[1]
    runs = int(sys.argv[2]) if len(sys.argv) == 3 else 30
    load_before = load()
    one_run(tool)  # warms the page cache
    starts, exits, totals = zip(*(one_run(tool) for _ in range(runs)))
    print(f"{runs} runs, load {load_before} before, {load()} after")
    print(f"start (exec to end of first frame): median {statistics.median(starts):.1f} ms, "
          f"min {min(starts):.1f}, max {max(starts):.1f}")
    print(f"exit (last picture to process end): median {statistics.median(exits):.1f} ms, "
          f"min {min(exits):.1f}, max {max(exits):.1f}")
    print(f"whole run: median {statistics.median(totals):.1f} ms")
    met = statistics.median(starts) <= START_TARGET_MS and statistics.median(exits) <= EXIT_TARGET_MS
    print("targets met" if met else "targets NOT met")
    return 0 if met else 1


if __name__ == "__main__":
    sys.exit(main())
