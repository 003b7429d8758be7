#!/usr/bin/env python3
"""Start-up and memory of the Linux saver on the X display in $DISPLAY.

    sdl_startup.py PATH_TO_PELMIC [runs]

For each run: the time from starting `pelmic /S` to the first screenshot that
shows the pale pen colour (the screenshot's own time, tens of milliseconds at
1920x1080, is part of the figure, so it is an upper bound), and the resident
memory two seconds later. Not pass/fail: tools/bench/sdl_bench.sh prints it.
"""

import os
import statistics
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "tests", "platform", "sdl"))
from xsession import Image, rss_kib, stop  # noqa: E402


def screenshot():
    data = subprocess.run(["xwd", "-silent", "-root"], capture_output=True, check=True).stdout
    return Image.from_xwd(data)


def one_run(pelmic):
    start = time.monotonic()
    proc = subprocess.Popen([pelmic, "/S"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        while not screenshot().pale_mask():
            if proc.poll() is not None or time.monotonic() - start > 20:
                raise RuntimeError("no picture")
        first_pixel = time.monotonic() - start
        time.sleep(2)
        return first_pixel, rss_kib(proc.pid)
    finally:
        stop(proc)


def main():
    pelmic = sys.argv[1]
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 5
    firsts, rss = [], []
    for run in range(1, runs + 1):
        first, kib = one_run(pelmic)
        firsts.append(first * 1e3)
        rss.append(kib / 1024)
        print(f"  run {run}: first pale pixel after {first * 1e3:.0f} ms, {kib / 1024:.1f} MB resident")
        time.sleep(0.3)
    print(f"median: first pixel {statistics.median(firsts):.0f} ms, {statistics.median(rss):.1f} MB resident")


if __name__ == "__main__":
    main()
