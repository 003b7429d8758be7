#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Site files that are hard for the exact path, on the 16384x16384 screen.

Run by hand:  hard_files.py search RENDERER [--family F] [--rounds N] [--sites N] [--keep DIR]
              hard_files.py check CHECKER [cluster_files.py's options]
Families: "powers" (powers of two and 16383, 16384, each give or take a few
double steps), "shared" (sites sharing an x or y to a few steps, the other
coordinate tiny), "ring" and "lattice" (near 2^-1000). search mutates one
coordinate at a time, keeping changes that make pelmic-render --sites slower
(processor time), and prints each family's slowest file against a random
49-site file timed in the same run. check sends files of 4 to 12 sites to
cluster_files.py's checker.
"""
import argparse
import math
import os
import random
import resource
import subprocess
import sys

import cluster_files

SCREEN = (16384, 16384)
FAMILIES = ["powers", "shared", "ring", "lattice"]


steps = cluster_files.steps


def values(rng, family):
    """A coordinate the family uses."""
    if family == "powers":
        base = rng.choice([16383.0, 16384.0, 8192.0, 2.0 ** rng.randint(-1074, 13)])
        return steps(base, rng.randint(-2, 2)) if base > 0 else base
    if family == "shared":
        return rng.choice([steps(8192.0, rng.randint(-2, 2)), 0.0, 5e-324 * rng.randint(1, 4),
                           2.0 ** rng.randint(-1074, -900), steps(16383.0, rng.randint(-2, 2))])
    scale = 2.0 ** -rng.randint(990, 1010)
    return rng.randint(0, 8) * scale


def point(rng, family, n):
    """Site n of a new file of the family."""
    if family == "ring":
        r, c = 2.0 ** -1000, 2.0 ** -998
        a = 2 * math.pi * n / 49 + rng.uniform(0, 1e-3)  # 49 places on the circle, whatever the count
        return c + r * math.cos(a), c + r * math.sin(a)
    if family == "lattice":
        step = 2.0 ** -1000
        return (n % 7) * step, (n // 7) * step
    if family == "shared" and rng.random() < 0.5:
        return values(rng, family), 2.0 ** rng.randint(-1074, -1000)
    return values(rng, family), values(rng, family)


def valid(sites):
    return all(0 <= x < SCREEN[0] and 0 <= y < SCREEN[1] for x, y in sites) and len(set(sites)) == len(sites)


def new_file(rng, family, count):
    sites = []
    while len(sites) < count:
        p = point(rng, family, len(sites))
        if valid(sites + [p]):
            sites.append(p)
    return sites


def mutate(rng, family, sites):
    changed = list(sites)
    n = rng.randrange(len(changed))
    x, y = changed[n]
    v = values(rng, family) if rng.random() < 0.7 else steps((x, y)[rng.randrange(2)], rng.choice([-1, 1]))
    changed[n] = (v, y) if rng.random() < 0.5 else (x, v)
    return changed if valid(changed) else sites


def write(path, sites):
    with open(path, "w") as f:
        f.writelines(f"{x!r} {y!r}\n" for x, y in sites)


def seconds(render, path):
    """Processor time of pelmic-render on the file, the least of two runs."""
    best = math.inf
    for _ in range(2):
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        subprocess.run([render, "--sites", path, "--size", f"{SCREEN[0]}x{SCREEN[1]}", "--json", os.devnull],
                       check=True)
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
        best = min(best, after.ru_utime + after.ru_stime - before.ru_utime - before.ru_stime)
    return best


def search(args):
    rng = random.Random(args.seed)
    os.makedirs(args.keep, exist_ok=True)
    probe = os.path.join(args.keep, "probe.txt")
    baseline = os.path.join(args.keep, "random-49.txt")
    write(baseline, [(rng.uniform(0, SCREEN[0]), rng.uniform(0, SCREEN[1])) for _ in range(49)])
    for family in args.family or FAMILIES:
        sites = new_file(rng, family, args.sites)
        write(probe, sites)
        slowest = seconds(args.render, probe)
        for _ in range(args.rounds):
            changed = mutate(rng, family, sites)
            write(probe, changed)
            t = seconds(args.render, probe)
            if t > slowest:
                sites, slowest = changed, t
        write(os.path.join(args.keep, f"{family}.txt"), sites)
        random_time = seconds(args.render, baseline)
        print(f"{family}: {slowest * 1e3:.1f} ms, a random 49-site file {random_time * 1e3:.1f} ms "
              f"({slowest / random_time:.1f} times)", flush=True)
    os.remove(probe)
    return 0


def checked_file(rng):
    family = rng.choice(FAMILIES)
    return family, SCREEN[0], SCREEN[1], new_file(rng, family, rng.randint(4, 12))


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    modes = parser.add_subparsers(dest="mode", required=True)
    finder = modes.add_parser("search")
    finder.add_argument("render")
    finder.add_argument("--family", action="append", choices=FAMILIES)
    finder.add_argument("--rounds", type=int, default=200)
    finder.add_argument("--sites", type=int, default=49)
    finder.add_argument("--seed", type=int, default=37)
    finder.add_argument("--keep", default="hard-files")
    checker = modes.add_parser("check")
    cluster_files.add_check_options(checker)
    args = parser.parse_args()
    return search(args) if args.mode == "search" else cluster_files.check(args, checked_file)


if __name__ == "__main__":
    sys.exit(main())
