#!/usr/bin/env python3
"""Writes the artwork of the demo form: a 24-bit bitmap with a diagonal colour gradient
and a white border (white is the transparent colour: the bottom-left pixel)."""
import struct
import sys

path, width, height = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
row_size = (width * 3 + 3) & ~3
rows = bytearray()
for y in range(height):  # bottom-up
    row = bytearray()
    for x in range(width):
        if x < 4 or y < 4 or x >= width - 4 or y >= height - 4:
            row += bytes((255, 255, 255))
        else:
            t = (x / width + y / height) / 2
            row += bytes((int(200 - 120 * t), int(120 + 80 * t), int(40 + 60 * t)))  # B, G, R
    rows += row + bytes(row_size - len(row))
header = struct.pack("<2sIHHI", b"BM", 54 + len(rows), 0, 0, 54)
info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
with open(path, "wb") as out:
    out.write(header + info + rows)
