#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Clusters of sites a few double steps apart, checked against exact cells.

Run by hand, not in CI:  cluster_files.py PELMIC_RENDER [--count N] [--seed S]
Each file holds three to six sites a few double steps apart (in the interior,
at a corner, along a border, at tiny magnitudes near the origin, or on a
rounded circle) and up to three far sites, on one of five screens. Every file
goes through pelmic-render --sites, and every cell's area must lie within
0.5 px^2 of the exact clipped cell's (half-planes in rational arithmetic) and
carry its label (nearest whole number, a half to the even neighbour). Files
that fail are kept in --keep with the reason; the exit status says whether any
did.
"""
import argparse
import json
import math
import os
import random
import subprocess
import sys
import tempfile
from fractions import Fraction

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


def clip(polygon, a, b, c):
    """The part of a convex polygon where a*x + b*y <= c."""
    out = []
    for n, p in enumerate(polygon):
        q = polygon[(n + 1) % len(polygon)]
        fp, fq = a * p[0] + b * p[1] - c, a * q[0] + b * q[1] - c
        if fp <= 0:
            out.append(p)
        if (fp < 0 < fq) or (fq < 0 < fp):
            t = fp / (fp - fq)
            out.append((p[0] + (q[0] - p[0]) * t, p[1] + (q[1] - p[1]) * t))
    return out


def exact_areas(sites, w, h):
    exact = [(Fraction(x), Fraction(y)) for x, y in sites]
    areas = []
    for s in exact:
        cell = [(Fraction(0), Fraction(0)), (Fraction(w), Fraction(0)), (Fraction(w), Fraction(h)),
                (Fraction(0), Fraction(h))]
        for m in exact:
            if m is not s and cell:
                a, b = m[0] - s[0], m[1] - s[1]
                cell = clip(cell, a, b, (a * (m[0] + s[0]) + b * (m[1] + s[1])) / 2)
        twice = sum(p[0] * q[1] - q[0] * p[1] for p, q in zip(cell, cell[1:] + cell[:1])) if cell else 0
        areas.append(abs(Fraction(twice)) / 2)
    return areas


def check(render, sites, w, h, folder):
    path = os.path.join(folder, "sites.txt")
    with open(path, "w") as f:
        f.writelines(f"{x!r} {y!r}\n" for x, y in sites)
    result = subprocess.run([render, "--sites", path, "--size", f"{w}x{h}", "--json", "-"], capture_output=True,
                            text=True)
    if result.returncode != 0:
        return f"exit {result.returncode}: {result.stderr.strip()}"
    ours = json.loads(result.stdout)["cycles"][0]["sites"]
    for n, (cell, exact) in enumerate(zip(ours, exact_areas(sites, w, h))):
        if abs(Fraction(cell["area"]) - exact) > Fraction(1, 2) or cell["label"] != round(exact):
            return f"site {n + 1}: area {cell['area']} label {cell['label']}, exact {float(exact)} ({round(exact)})"
    return None


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("render")
    parser.add_argument("--count", type=int, default=1000)
    parser.add_argument("--seed", type=int, default=26)
    parser.add_argument("--keep", default="cluster-failures")
    args = parser.parse_args()
    rng = random.Random(args.seed)
    failures = 0
    with tempfile.TemporaryDirectory() as folder:
        for number in range(args.count):
            family, w, h, sites = sites_for(rng)
            if len(sites) < 2:
                continue
            reason = check(args.render, sites, w, h, folder)
            if reason:
                failures += 1
                os.makedirs(args.keep, exist_ok=True)
                name = f"{number}-{family}-{w}x{h}.txt"
                with open(os.path.join(args.keep, name), "w") as f:
                    f.writelines(f"{x!r} {y!r}\n" for x, y in sites)
                with open(os.path.join(args.keep, "reasons.txt"), "a") as f:
                    f.write(f"{name}: {reason}\n")
                print(f"file {number} ({family}, {w}x{h}): {reason}", flush=True)
            if (number + 1) % 500 == 0:
                print(f"{number + 1} files checked, {failures} failed", flush=True)
    print(f"{args.count} files, seed {args.seed}: {failures} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
