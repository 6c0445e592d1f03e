#!/usr/bin/env python3
"""check_window.py SHOT.png ARTWORK.bmp

Checks a screenshot of the setup window (frame included, as screenshot.sh takes it) against
what the window must show:
- the artwork, stretched to 127 x 325 at (8, 8): every pixel has the colour of a source pixel
  near the one it stands for (a stretch that merges rows shows stripes of other colours);
- the bold labels "Browse" and "Install": their strokes are heavier than those of the regular
  labels beside them.
Prints what is wrong and exits 1, or exits 0."""
import subprocess
import sys

CLIENT = (565, 396)
ART_PLACE, ART_SIZE = (8, 8), (127, 325)
TOLERANCE = 8  # per channel
# Inside the panel's sunken edge: each bold label, and the regular label after it, as
# (left, top, right) in the panel; a label is 16 pixels high.
PANEL = (152, 18)
BOLD_LABELS = {"Browse": ((51, 38, 104), (105, 38, 160)), "Install": ((60, 128, 104), (105, 128, 160))}


def read_ppm(data):
    """(width, height, rows of (r, g, b)) of binary PPM bytes."""
    fields, pos = [], 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    width, height = int(fields[1]), int(fields[2])
    pixels = data[pos + 1:]
    return width, height, [[tuple(pixels[(y * width + x) * 3:(y * width + x) * 3 + 3])
                            for x in range(width)] for y in range(height)]


def read_screenshot(path):
    ppm = subprocess.run(["convert", path, "ppm:-"], check=True, capture_output=True).stdout
    width, height, rows = read_ppm(ppm)
    border = (width - CLIENT[0]) // 2  # the frame drawn around the client area
    top = height - CLIENT[1] - border
    return lambda x, y: rows[top + y][border + x]


def read_bmp(path):
    """Rows (top first) of (r, g, b) of a 24-bit bottom-up bitmap."""
    data = open(path, "rb").read()
    offset = int.from_bytes(data[10:14], "little")
    width = int.from_bytes(data[18:22], "little")
    height = int.from_bytes(data[22:26], "little")
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in range(height):
        line = data[offset + y * stride:]
        rows.append([(line[x * 3 + 2], line[x * 3 + 1], line[x * 3]) for x in range(width)])
    return rows[::-1]


def close(a, b):
    return max(abs(p - q) for p, q in zip(a, b)) <= TOLERANCE


def artwork_faults(pixel, source):
    """The rows of the drawn artwork with pixels that no nearby source pixel explains."""
    src_h, src_w = len(source), len(source[0])
    key = source[-1][0]
    faulty = set()
    for y in range(ART_SIZE[1]):
        ys = range(max(0, y * src_h // ART_SIZE[1] - 1), min(src_h, (y + 1) * src_h // ART_SIZE[1] + 1))
        for x in range(ART_SIZE[0]):
            xs = range(max(0, x * src_w // ART_SIZE[0] - 1),
                       min(src_w, (x + 1) * src_w // ART_SIZE[0] + 1))
            near = [source[sy][sx] for sy in ys for sx in xs]
            if key in near:
                continue  # the background shows through at the edge
            if not any(close(pixel(ART_PLACE[0] + x, ART_PLACE[1] + y), c) for c in near):
                faulty.add(y)
    return sorted(faulty)


def stroke_width(pixel, left, top, right):
    """The mean length of the dark runs along the rows of a label: its strokes' width."""
    dark = runs = 0
    for y in range(PANEL[1] + top, PANEL[1] + top + 16):
        before = False
        for x in range(PANEL[0] + left, PANEL[0] + right):
            ink = max(pixel(x, y)) < 128
            dark += ink
            runs += ink and not before
            before = ink
    return dark / max(runs, 1)


def bold_faults(pixel):
    """The bold labels whose strokes are not clearly heavier than the regular label's after
    them (bold strokes are about twice as wide)."""
    faults = []
    for name, (bold, regular) in BOLD_LABELS.items():
        heavy, plain = stroke_width(pixel, *bold), stroke_width(pixel, *regular)
        if heavy < 1.25 * plain:
            faults.append(f"{name}: strokes {heavy:.2f} pixels wide, regular ones {plain:.2f}")
    return faults


def main(shot, artwork):
    pixel = read_screenshot(shot)
    faults = []
    rows = artwork_faults(pixel, read_bmp(artwork))
    if rows:
        faults.append(f"artwork: {len(rows)} rows unlike the source, first {rows[:8]}")
    faults += bold_faults(pixel)
    for fault in faults:
        print(f"{shot}: {fault}", file=sys.stderr)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
