#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Compares the cell reports of the shipped i686 build with the native ones,
so that a difference in floating-point arithmetic between the two (x87
against SSE2, say) cannot come back unseen.

  compare_cell_reports.py --native RENDER --work DIR --windows RUNNER... RENDER.EXE

Both pelmic-render builds report the same site sets: RANDOM_CYCLES random
cycles in one process, and lattices, whose labels fall on exact halves
and whose edges meet at points shared by four cells. Labels, site and vertex
counts and the edge order must agree exactly; coordinates and areas to
RELATIVE, since the two C libraries' arc sine and square root may differ in
the last bit.
"""
import argparse
import json
import os
import subprocess
import sys
import time

SIZE = (800, 600)
RANDOM_CYCLES = 300
RELATIVE = 1e-9
# Lattices of cols x rows sites, spacing in pixels and the first site's
# offset: ties at exact halves, four cells meeting at one point.
LATTICES = [(cols, rows, step, offset)
            for cols, rows in [(2, 2), (3, 2), (3, 3), (4, 3), (4, 4), (5, 4), (6, 5), (7, 7)]
            for step, offset in [(97, 13), (80.5, 40.25)]
            if offset + (max(cols, rows) - 1) * step < min(SIZE)]


def lattice_sites(cols, rows, step, offset):
    return "".join(f"{offset + c * step} {offset + r * step}\n" for r in range(rows) for c in range(cols))


def differences(native, windows, where="report"):
    """Human-readable differences between two JSON values."""
    if isinstance(native, dict) and isinstance(windows, dict):
        if native.keys() != windows.keys():
            return [f"{where}: keys {sorted(native)} against {sorted(windows)}"]
        return [d for key in native for d in differences(native[key], windows[key], f"{where}.{key}")]
    if isinstance(native, list) and isinstance(windows, list):
        if len(native) != len(windows):
            return [f"{where}: {len(native)} entries against {len(windows)}"]
        return [d for i, (a, b) in enumerate(zip(native, windows)) for d in differences(a, b, f"{where}[{i}]")]
    if isinstance(native, float) or isinstance(windows, float):
        if abs(native - windows) <= RELATIVE * max(1.0, abs(native), abs(windows)):
            return []
    elif native == windows:
        return []
    return [f"{where}: {native!r} natively, {windows!r} on Windows"]


def reports(command, args, work, name):
    """Runs one pelmic-render; its JSON report."""
    path = os.path.join(work, name)
    result = subprocess.run([*command, *args, "--json", path], stdin=subprocess.DEVNULL,
                            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True, timeout=300)
    if result.returncode != 0 or not os.path.exists(path):
        raise RuntimeError(f"{' '.join(command + args)}: status {result.returncode}\n{result.stderr}")
    with open(path) as f:
        return json.load(f)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--native", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--windows", nargs="+", required=True, help="runner and the Windows pelmic-render")
    args = parser.parse_args()
    os.makedirs(args.work, exist_ok=True)
    work = os.path.abspath(args.work)
    size = ["--size", f"{SIZE[0]}x{SIZE[1]}"]
    started = time.monotonic()

    jobs = [("random", [*size, "--seed", "1", "--cycles", str(RANDOM_CYCLES)])]
    for n, lattice in enumerate(LATTICES):
        sites = os.path.join(work, f"lattice-{n}.txt")
        with open(sites, "w") as f:
            f.write(lattice_sites(*lattice))
        jobs.append((f"lattice-{n}", [*size, "--sites", sites]))

    # Each random cycle and each lattice is one site set.
    compared = failed = 0
    for name, job in jobs:
        native = reports([args.native], job, work, f"{name}-native.json")["cycles"]
        windows = reports(args.windows, job, work, f"{name}-windows.json")["cycles"]
        if len(native) != len(windows):
            raise RuntimeError(f"{name}: {len(native)} cycles natively, {len(windows)} on Windows")
        for n, (a, b) in enumerate(zip(native, windows)):
            compared += 1
            found = differences(a, b, f"{name} set {n + 1}")
            if found:
                failed += 1
                print("\n".join(found[:5]))
    print(f"{compared - failed} of {compared} site sets agree ({RANDOM_CYCLES} random cycles, "
          f"{len(LATTICES)} lattices) in {time.monotonic() - started:.1f} s")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
