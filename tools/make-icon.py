#!/usr/bin/env python3
"""Draws the program's icon, a blue drop of water, into an .ico file:
   tools/make-icon.py windows/resources/configurator.ico
Sizes 16, 32 and 48, 32-bit colour with alpha; plain Python, no image library."""
import math
import struct
import sys


def drop_alpha(x, y, size):
    """Coverage of pixel (x, y) by the drop, 0..1, sampled 4x4 for smooth edges."""
    hits = 0
    for sy in range(4):
        for sx in range(4):
            u = (x + (sx + 0.5) / 4) / size  # 0..1, left to right
            v = (y + (sy + 0.5) / 4) / size  # 0..1, top to bottom
            cx, cy, r = 0.5, 0.62, 0.30      # the round bottom
            inside = (u - cx) ** 2 + (v - cy) ** 2 <= r * r
            if not inside and 0.06 <= v <= cy:
                # the point: a cone from (0.5, 0.06) down to the circle's tangents
                half = r * (v - 0.06) / (cy - 0.06)
                inside = abs(u - cx) <= half
            hits += inside
    return hits / 16


def image(size):
    rows = []
    for y in range(size - 1, -1, -1):  # bottom-up, as a BMP is stored
        row = b""
        for x in range(size):
            a = drop_alpha(x, y, size)
            # a lighter shine up left, the body a water blue
            shine = math.hypot(x / size - 0.40, y / size - 0.55) < 0.09
            b, g, r = (250, 235, 200) if shine else (214, 120, 30)
            row += bytes((b, g, r, round(255 * a)))
        rows.append(row)
    pixels = b"".join(rows)
    mask_row = ((size + 31) // 32) * 4
    mask = bytes(mask_row * size)  # alpha decides; the AND mask lets all through
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(pixels) + len(mask), 0, 0, 0, 0)
    return header + pixels + mask


def main(path):
    sizes = (16, 32, 48)
    images = [image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for s, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s, s, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, "wb") as f:
        f.write(out + b"".join(images))


if __name__ == "__main__":
    main(sys.argv[1])
