#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Clusters of sites a few double steps apart, checked against exact cells.

Run by hand, not in CI, with the checker the release build makes:
  cluster_files.py build/release/tests/oracle/pelmic_cluster_check [--count N] [--seed S] [--jobs J]
                   [--keep DIR] [--from N]
Each file holds three to six sites a few double steps apart (in the interior,
at a corner, along a border, at tiny magnitudes near the origin, or on a
rounded circle) and up to three far sites, on one of five screens. The files
go to the checker (--jobs of them, file n to checker n % J, so the files are
the same for any J), which builds the cells as pelmic-render --sites does:
every cell's area must lie within 0.5 px^2 of the exact clipped cell's
(half-planes in rational arithmetic) and carry its label (nearest whole
number, a half to the even neighbour), and every reported vertex and drawn
edge end must lie within 1e-6 px of the exact cell's vertices, none of those
missing. Files that fail are kept in --keep with
the reason; the slowest files to build are listed; the exit status says
whether any failed. Ctrl-C stops the run with that report; --from N resumes
it at file N.
"""
import argparse
import math
import os
import random
import subprocess
import sys
import threading
import time

SCREENS = [(1366, 768), (64, 48), (16384, 16384), (1920, 1080), (1, 16384)]
FAMILIES = ["interior", "corner", "border", "tiny", "circle"]


def steps(v, n):
    """v moved by n double steps."""
    for _ in range(abs(n)):
        v = math.nextafter(v, math.inf if n > 0 else -math.inf)
    return v


def inside(x, y, w, h):
    return 0 <= x < w and 0 <= y < h


def base_point(rng, family, w, h):
    if family == "corner":
        return rng.choice([0.0, math.nextafter(w, 0)]), rng.choice([0.0, math.nextafter(h, 0)])
    if family == "border":
        x, y = rng.uniform(0, w), rng.uniform(0, h)
        return (0.0, y) if rng.random() < 0.5 else (x, 0.0)
    if family == "tiny":
        return rng.random() * 10.0 ** -rng.randint(1, 300), rng.random() * 10.0 ** -rng.randint(1, 300)
    return rng.uniform(0, w), rng.uniform(0, h)


def cluster(rng, family, w, h):
    count = rng.randint(3, 6)
    if family == "circle":
        cx, cy, r = rng.uniform(0, w), rng.uniform(0, h), 10.0 ** rng.uniform(-12, 2)
        phase = rng.uniform(0, 2 * math.pi)
        return [(cx + r * math.cos(phase + 2 * math.pi * n / count), cy + r * math.sin(phase + 2 * math.pi * n / count))
                for n in range(count)]
    bx, by = base_point(rng, family, w, h)
    if family == "tiny" and rng.random() < 0.5:
        scale = 10.0 ** -rng.randint(140, 320)
        return [(rng.randint(0, 9) * scale, rng.randint(0, 9) * scale) for _ in range(count)]
    return [(steps(bx, rng.randint(-3, 3)), steps(by, rng.randint(-3, 3))) for _ in range(count)]


def sites_for(rng):
    w, h = rng.choice(SCREENS)
    family = rng.choice(FAMILIES)
    sites = []
    for x, y in cluster(rng, family, w, h) + [(rng.uniform(0, w), rng.uniform(0, h)) for _ in range(rng.randint(0, 3))]:
        if inside(x, y, w, h) and (x, y) not in sites:
            sites.append((x, y))
    return family, w, h, sites


def feed(checkers, rng, first, count, make=sites_for):
    """Sends files first to count - 1 of the seeded stream (each from
    make(rng)), file n to checker n % len(checkers); returns the end of what
    was sent, less than count when stopped by Ctrl-C."""
    number = first
    try:
        for number in range(count):
            family, w, h, sites = make(rng)
            if number >= first and len(sites) >= 2:
                lines = "".join(f"{x!r} {y!r}\n" for x, y in sites)
                checkers[number % len(checkers)].stdin.write(f"{number} {family} {w} {h} {len(sites)}\n{lines}")
            if number >= first and (number + 1) % 50000 == 0:
                print(f"{number + 1} files sent", flush=True)
        number = count
    except KeyboardInterrupt:
        print(f"stopped: files {first} to {number - 1} sent", flush=True)
    for checker in checkers:
        checker.stdin.close()
    return number


def collect(checker, keep, summary):
    """Keeps each file the checker reports failing; gathers its summary."""
    for line in checker.stdout:
        if line.startswith(("slowest ", "checked ")):
            summary.append(line.rstrip("\n"))
            continue
        print(line, end="", flush=True)
        head, reason, sites = line.rstrip("\n").split(" | ")
        number, family, size = head.split()
        os.makedirs(keep, exist_ok=True)
        name = f"{number}-{family}-{size}.txt"
        with open(os.path.join(keep, name), "w") as f:
            f.writelines(site + "\n" for site in sites.split(", "))
        with open(os.path.join(keep, "reasons.txt"), "a") as f:
            f.write(f"{name}: {reason}\n")


def check(args, make=sites_for):
    """Runs the files of `make` through args.jobs checkers; the exit status."""
    started = time.monotonic()
    # Their own session: Ctrl-C stops the feeding, and they still report what they checked.
    checkers = [subprocess.Popen([args.checker], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True,
                                 start_new_session=True) for _ in range(args.jobs)]
    summary = []
    readers = [threading.Thread(target=collect, args=(c, args.keep, summary)) for c in checkers]
    for reader in readers:
        reader.start()
    end = feed(checkers, random.Random(args.seed), args.first, args.count, make)
    for reader in readers:
        reader.join()
    codes = [checker.wait() for checker in checkers]
    slowest = sorted((s for s in summary if s.startswith("slowest ")), key=lambda s: -float(s.split()[1]))
    for line in slowest[:5] + [s for s in summary if s.startswith("checked ")]:
        print(line)
    print(f"files {args.first} to {end - 1}, seed {args.seed}: {time.monotonic() - started:.0f} s, checker exits {codes}")
    return 1 if any(codes) else 0


def add_check_options(parser):
    parser.add_argument("checker")
    parser.add_argument("--count", type=int, default=1000)
    parser.add_argument("--from", dest="first", type=int, default=0, help="resume a stopped run at this file")
    parser.add_argument("--seed", type=int, default=26)
    parser.add_argument("--jobs", type=int, default=1)
    parser.add_argument("--keep", default="cluster-failures")


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    add_check_options(parser)
    return check(parser.parse_args())


if __name__ == "__main__":
    sys.exit(main())
