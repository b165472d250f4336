#!/usr/bin/env python3
"""Draws the three pictures of the program's message dialog as 32 x 32 XPM images.

The pictures use a colour key: every pixel the drawing does not touch is pure green (0, 255, 0), and
the dialog makes the colour of the bottom-left pixel transparent. Edges are smoothed by sampling each
pixel 4 x 4 times and blending the uncovered part with the usual light dialog background, so a
half-covered edge pixel is never green.

The XPM files are C source as well; the dialog includes them, so the pictures are built into the
program and no file has to be found at run time.

Usage:
  python3 tools/make_message_bitmaps.py            # writes assets/bitmaps/{Warning,Error,Information}.xpm
  python3 tools/make_message_bitmaps.py --output DIR
"""

import argparse
import math
import os

SIZE = 32
SAMPLES = 4
KEY = (0, 255, 0)
# The light grey of a dialog's face; edge pixels fade into it instead of into the key colour.
EDGE_BACKGROUND = (239, 239, 239)
# Characters of the XPM pixel codes (no quote, no backslash).
CODE_CHARS = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.,:;+-*=#@$%&()[]{}<>/|~^"


# --- shapes: functions (x, y) -> bool, coordinates in pixels, (0, 0) the top left corner ---------

def disc(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ellipse(cx, cy, rx, ry):
    return lambda x, y: ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0


def polygon(points):
    def inside(x, y):
        result = False
        j = len(points) - 1
        for i, (xi, yi) in enumerate(points):
            xj, yj = points[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                result = not result
            j = i
        return result
    return inside


def rounded_rect(x0, y0, x1, y1, r):
    def inside(x, y):
        if x < x0 or x > x1 or y < y0 or y > y1:
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside


def bar(cx, cy, length, width, angle_deg):
    """A straight bar with round ends, centred on (cx, cy)."""
    a = math.radians(angle_deg)
    ux, uy = math.cos(a), math.sin(a)
    half = length / 2.0 - width / 2.0

    def inside(x, y):
        dx, dy = x - cx, y - cy
        t = max(-half, min(half, dx * ux + dy * uy))
        px, py = dx - t * ux, dy - t * uy
        return px * px + py * py <= (width / 2.0) ** 2
    return inside


def union(*shapes):
    return lambda x, y: any(s(x, y) for s in shapes)


def eroded(shape, width):
    """The part of `shape` at least `width` away from its edge (checked in 16 directions)."""
    directions = [(math.cos(k * math.pi / 8), math.sin(k * math.pi / 8)) for k in range(16)]
    return lambda x, y: shape(x, y) and all(shape(x + width * dx, y + width * dy) for dx, dy in directions)


# --- pictures: lists of (shape, colour), later entries painted over earlier ones -----------------

def warning_layers():
    outer = polygon([(16.0, 1.0), (31.0, 28.5), (1.0, 28.5)])
    return [
        (outer, (138, 98, 0)),
        (eroded(outer, 1.3), (255, 204, 0)),
        (bar(16.0, 14.5, 11.0, 3.6, 90.0), (30, 30, 30)),
        (disc(16.0, 24.0, 2.0), (30, 30, 30)),
    ]


def error_layers():
    outer = disc(16.0, 16.0, 14.8)
    return [
        (outer, (150, 20, 18)),
        (eroded(outer, 1.3), (220, 45, 40)),
        (bar(16.0, 16.0, 16.5, 3.8, 45.0), (255, 255, 255)),
        (bar(16.0, 16.0, 16.5, 3.8, -45.0), (255, 255, 255)),
    ]


def information_layers():
    bubble = union(ellipse(16.0, 13.5, 14.8, 12.0), polygon([(7.0, 20.0), (15.0, 24.0), (3.5, 30.5)]))
    blue = (30, 95, 190)
    return [
        (bubble, blue),
        (eroded(bubble, 1.3), (255, 255, 255)),
        (disc(16.0, 7.0, 2.1), blue),
        (rounded_rect(14.2, 10.6, 17.8, 20.6, 0.8), blue),
        (rounded_rect(12.6, 10.6, 17.8, 12.2, 0.5), blue),
        (rounded_rect(12.6, 19.0, 19.4, 20.6, 0.5), blue),
    ]


def render(layers):
    pixels = []
    for py in range(SIZE):
        row = []
        for px in range(SIZE):
            total = [0.0, 0.0, 0.0]
            covered = 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = px + (sx + 0.5) / SAMPLES
                    y = py + (sy + 0.5) / SAMPLES
                    colour = None
                    for shape, c in layers:
                        if shape(x, y):
                            colour = c
                    if colour is not None:
                        covered += 1
                        for k in range(3):
                            total[k] += colour[k]
            if covered == 0:
                row.append(KEY)
                continue
            uncovered = SAMPLES * SAMPLES - covered
            n = SAMPLES * SAMPLES
            rgb = tuple(int(round((total[k] + uncovered * EDGE_BACKGROUND[k]) / n)) for k in range(3))
            if rgb == KEY:  # never let a drawn pixel turn transparent
                rgb = (0, 254, 0)
            row.append(rgb)
        pixels.append(row)
    return pixels


def xpm_text(name, pixels):
    colours = sorted({c for row in pixels for c in row})
    if KEY in colours:
        colours.remove(KEY)
        colours.insert(0, KEY)
    width = 1 if len(colours) <= len(CODE_CHARS) else 2
    if len(colours) > len(CODE_CHARS) ** width:
        raise SystemExit(f"{name}: too many colours")

    def code(i):
        if width == 1:
            return CODE_CHARS[i]
        return CODE_CHARS[i // len(CODE_CHARS)] + CODE_CHARS[i % len(CODE_CHARS)]

    codes = {c: code(i) for i, c in enumerate(colours)}
    lines = ["/* XPM */",
             "/* Drawn by tools/make_message_bitmaps.py; pure green is the transparent colour. */",
             f"static const char* const {name}_xpm[] = {{",
             f'"{SIZE} {SIZE} {len(colours)} {width}",']
    for c in colours:
        lines.append('"%s c #%02X%02X%02X",' % (codes[c], c[0], c[1], c[2]))
    for i, row in enumerate(pixels):
        sep = "," if i + 1 < len(pixels) else ""
        lines.append('"' + "".join(codes[c] for c in row) + '"' + sep)
    lines.append("};")
    return "\n".join(lines) + "\n"


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--output", default=os.path.join(here, "..", "assets", "bitmaps"))
    args = parser.parse_args()
    os.makedirs(args.output, exist_ok=True)
    for name, layers in (("Warning", warning_layers()), ("Error", error_layers()),
                         ("Information", information_layers())):
        pixels = render(layers)
        assert pixels[SIZE - 1][0] == KEY, f"{name}: the bottom-left pixel must be the key colour"
        path = os.path.join(args.output, name + ".xpm")
        with open(path, "w", encoding="ascii", newline="\n") as f:
            f.write(xpm_text(name.lower(), pixels))
        print(path)


if __name__ == "__main__":
    main()
