#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Writes pelmic.ico: a few Voronoi cells in a pale blue on black, at 16, 32
and 48 pixels. Run by hand when the icon should change; the .ico is committed
so that builds need no image tools."""
import math
import struct
import sys

SITES = [(0.22, 0.30), (0.70, 0.22), (0.45, 0.62), (0.85, 0.75), (0.15, 0.85)]
PALE = (200, 236, 250)


def nearest_two(x, y):
    d = sorted(math.hypot(x - sx, y - sy) for sx, sy in SITES)
    return d[0], d[1]


def pixel(size, px, py):
    x, y = (px + 0.5) / size, (py + 0.5) / size
    first, second = nearest_two(x, y)
    edge = second - first < 1.6 / size  # close to a bisector: a cell edge
    dot = first < 1.2 / size            # the site itself
    return PALE if edge or dot else (0, 0, 0)


def image(size):
    rows = []
    for py in reversed(range(size)):  # BMP rows run bottom-up
        for px in range(size):
            r, g, b = pixel(size, px, py)
            rows.append(struct.pack("<BBBB", b, g, r, 255))
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    mask_row = ((size + 31) // 32) * 4
    return header + b"".join(rows) + bytes(mask_row * size)


def main(path):
    sizes = [16, 32, 48]
    images = [image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for size, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, "wb") as f:
        f.write(out + b"".join(images))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "pelmic.ico")
