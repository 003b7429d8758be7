# SPDX-License-Identifier: MIT
"""Reads 8-bit RGB and RGBA PNG files into RGB bytes, with the standard library.

    width, height, rgb = read_rgb(png_bytes)   # rgb[3 * (y * width + x)] is red
"""

import struct
import zlib

_CHANNELS = {2: 3, 6: 4}  # colour type: RGB, RGBA


def _paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def _unfilter(data, width, height, channels):
    stride = width * channels
    rows = []
    previous = bytearray(stride)
    at = 0
    for _ in range(height):
        kind = data[at]
        row = bytearray(data[at + 1:at + 1 + stride])
        at += 1 + stride
        if kind == 1:
            for i in range(channels, stride):
                row[i] = (row[i] + row[i - channels]) & 0xFF
        elif kind == 2:
            row = bytearray((r + p) & 0xFF for r, p in zip(row, previous))
        elif kind == 3:
            for i in range(stride):
                left = row[i - channels] if i >= channels else 0
                row[i] = (row[i] + ((left + previous[i]) >> 1)) & 0xFF
        elif kind == 4:
            for i in range(stride):
                left = row[i - channels] if i >= channels else 0
                upper_left = previous[i - channels] if i >= channels else 0
                row[i] = (row[i] + _paeth(left, previous[i], upper_left)) & 0xFF
        elif kind != 0:
            raise ValueError(f"unknown PNG filter {kind}")
        rows.append(row)
        previous = row
    return rows


def read_rgb(png):
    if png[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("not a PNG file")
    at = 8
    idat = b""
    width = height = channels = None
    while at < len(png):
        length, kind = struct.unpack(">I4s", png[at:at + 8])
        body = png[at + 8:at + 8 + length]
        at += 12 + length
        if kind == b"IHDR":
            width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", body)
            if depth != 8 or colour not in _CHANNELS or interlace:
                raise ValueError(f"unsupported PNG: depth {depth}, colour type {colour}, interlace {interlace}")
            channels = _CHANNELS[colour]
        elif kind == b"IDAT":
            idat += body
        elif kind == b"IEND":
            break
    rows = _unfilter(zlib.decompress(idat), width, height, channels)
    rgb = bytearray()
    for row in rows:
        if channels == 3:
            rgb += row
        else:
            del row[3::4]
            rgb += row
    return width, height, bytes(rgb)
