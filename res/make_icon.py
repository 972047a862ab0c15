#!/usr/bin/env python3
"""Writes Sonorel.ico: a 32 x 32, 16-colour tuning fork with sound waves.

Usage: python3 make_icon.py [output path]   (default: Sonorel.ico beside this script)
"""

import math
import os
import struct
import sys

SIZE = 32

# The standard 16-colour palette, as (red, green, blue).
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
BLACK, NAVY, SILVER, GREY, BLUE, WHITE = 0, 4, 7, 8, 12, 15


def in_fork(x, y):
    """True for the pixels of the fork's metal: two prongs, the U that joins them, stem and knob."""
    cx, cy = x + 0.5, y + 0.5
    if 1 <= y <= 15 and (8 <= x <= 11 or 20 <= x <= 23):
        return True
    if y >= 16:
        r = math.hypot(cx - 16.0, cy - 16.0)
        if 4.0 <= r <= 8.0:
            return True
    if 14 <= x <= 17 and 23 <= y <= 27:
        return True
    return math.hypot(cx - 16.0, cy - 28.5) <= 2.3


def wave(x, y):
    """Colour of the sound arcs beside the prong tips, or None."""
    for tip_x, side in ((9.5, -1), (22.5, 1)):
        if (x + 0.5 - tip_x) * side < 3.5:
            continue
        r = math.hypot(x + 0.5 - tip_x, y + 0.5 - 6.0)
        if abs(r - 5.0) < 0.6:
            return BLUE
        if abs(r - 7.5) < 0.6 and y <= 12:
            return NAVY
    return None


def draw():
    """Returns rows (top first) of palette indexes, None meaning transparent."""
    fork = [[in_fork(x, y) for x in range(SIZE)] for y in range(SIZE)]
    rows = []
    for y in range(SIZE):
        row = []
        for x in range(SIZE):
            if fork[y][x]:
                left = x == 0 or not fork[y][x - 1]
                right = x == SIZE - 1 or not fork[y][x + 1]
                row.append(WHITE if left else GREY if right else SILVER)
                continue
            near = any(
                0 <= x + dx < SIZE and 0 <= y + dy < SIZE and fork[y + dy][x + dx]
                for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1))
            )
            row.append(BLACK if near else wave(x, y))
        rows.append(row)
    return rows


def icon_bytes(rows):
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 4, 0, 0, 0, 0, 0, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    colour = bytearray()
    mask = bytearray()
    for row in reversed(rows):  # DIB rows run bottom-up
        for x in range(0, SIZE, 2):
            hi, lo = row[x], row[x + 1]
            colour.append(((hi or 0) << 4) | (lo or 0))
        bits = 0
        for x in range(SIZE):
            bits = (bits << 1) | (1 if row[x] is None else 0)
        mask += struct.pack(">I", bits)  # rows of 32 bits, already 4-byte aligned
    image = header + palette + bytes(colour) + bytes(mask)
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    path = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "Sonorel.ico")
    with open(path, "wb") as f:
        f.write(icon_bytes(draw()))


if __name__ == "__main__":
    main()
