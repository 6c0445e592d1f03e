#!/usr/bin/env python3
"""Writes the artwork of the setup window: a 24-bit bitmap, 508 x 509 pixels, with a vertical
colour gradient, light rings and a white margin. White, the colour of the bottom-left pixel,
is drawn transparent."""
import math
import struct
import sys

WIDTH, HEIGHT, MARGIN = 508, 509, 6
RINGS = ((254, 300, 150), (254, 300, 210), (254, 300, 270))  # centre x, centre y, radius


def pixel(x, y):
    """The colour at (x, y), y counted from the top, as (blue, green, red)."""
    if x < MARGIN or y < MARGIN or x >= WIDTH - MARGIN or y >= HEIGHT - MARGIN:
        return (255, 255, 255)
    t = y / HEIGHT
    blue, green, red = 150 - 60 * t, 70 + 90 * t, 20 + 30 * t
    for cx, cy, radius in RINGS:
        if abs(math.hypot(x - cx, y - cy) - radius) < 6:
            blue, green, red = blue + 70, green + 60, red + 40
    return tuple(min(255, int(c)) for c in (blue, green, red))


def main(path):
    row_size = (WIDTH * 3 + 3) & ~3
    rows = bytearray()
    for y in reversed(range(HEIGHT)):  # bottom-up
        row = bytearray()
        for x in range(WIDTH):
            row += bytes(pixel(x, y))
        rows += row + bytes(row_size - len(row))
    header = struct.pack("<2sIHHI", b"BM", 54 + len(rows), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
    with open(path, "wb") as out:
        out.write(header + info + rows)


if __name__ == "__main__":
    main(sys.argv[1])
