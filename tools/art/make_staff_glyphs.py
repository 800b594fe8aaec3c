#!/usr/bin/env python3
"""Draws the staff's glyphs: clefs, signs, heads, stems with flags, the dot and rests.

Each glyph is designed on its own grid (32 x 32 for the clefs and the quarter
rest, 24 x 24 for the signs and the other rests, 16 x 16 for heads, 16 x 32 for
stems, 8 x 8 for the dot) and written at four times that size, anti-aliased
by sampling every pixel 3 x 3 times, so that the staff scales it down crisply.
The ink is white on black: the staff takes a glyph's brightness as how much
of the note's colour covers a pixel.

Where they sit (in glyph units, so that the staff can place them as it does):
  clefs   6 spacings tall: the staff's top line lies one spacing below the top
  signs   centred on the head they go with
  stems   the stem runs down the middle column; an up stem ends at the head's
          middle, a down stem starts there
  rests   the half and whole rest share one block, in the glyph's top 0.5 spacing

Run from the repository root: tools/art/make_staff_glyphs.py
"""
import math
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from make_symbols import bezier, box, circle, ellipse, eighth_rest, minus, quarter_rest, sixteenth_rest, stroke, union  # noqa: E402
from png import write_png  # noqa: E402

SCALE = 4
SAMPLES = 3
OUT = os.path.join("resources", "staff")


def scaled(shape, factor):
    """A shape designed on another grid, `factor` of its units to one of ours."""
    return lambda x, y: shape(x * factor, y * factor)


# --- clefs (32 x 32; one spacing is 32 / 6 units) ----------------------------

SP = 32 / 6.0


def spiral(cx, cy, r_from, r_to, a_from, a_to, steps=40):
    points = []
    for i in range(steps + 1):
        t = i / steps
        a = math.radians(a_from + (a_to - a_from) * t)
        r = r_from + (r_to - r_from) * t
        points.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    return points


def treble_clef():
    cx, cy = 15.4, SP * 4 - 0.4  # the curl's middle, on the G line second from the bottom
    # From the curl's outside on the left, round under, up the right, over the
    # top and inwards to the middle.
    curl = stroke(spiral(cx, cy, 5.7, 1.4, 180, -165), 3.0, 1.5)
    # Up from the curl's left to the right of the staff's top, over and down.
    rise = stroke(bezier((cx - 5.7, cy), (cx - 6.2, cy - 5.4), (cx + 4.8, 12.4), (cx + 3.6, 3.6)), 3.0, 1.7)
    loop = stroke(bezier((cx + 3.6, 3.6), (cx + 3.0, -0.6), (cx - 2.8, 0.2), (cx - 1.8, 6.6)), 1.7, 1.8)
    spine = stroke([(cx - 1.8, 6.6), (cx + 0.4, 18.0), (cx + 1.7, 29.0)], 1.8, 1.6)
    hook = stroke(bezier((cx + 1.7, 29.0), (cx + 1.9, 31.9), (cx - 3.8, 31.9), (cx - 3.7, 29.4)), 1.6, 1.3)
    blob = circle(cx - 2.9, 29.3, 2.0)
    return union(curl, rise, loop, spine, hook, blob)


def bass_clef():
    f_line = SP * 2  # the F line, second from the top of the staff
    blob = circle(8.0, f_line + 0.2, 2.5)
    arc = stroke(bezier((7.0, f_line - 1.4), (8.5, f_line - 6.2), (20.5, f_line - 7.0), (21.0, f_line + 0.6)),
                 1.8, 3.6)
    tail = stroke(bezier((21.0, f_line + 0.6), (21.4, f_line + 8.0), (13.0, f_line + 14.0), (5.0, f_line + 16.5)),
                  3.6, 1.0)
    dots = union(circle(26.0, f_line - SP * 0.5, 1.5), circle(26.0, f_line + SP * 0.5, 1.5))
    return union(blob, arc, tail, dots)


# --- signs (24 x 24, centred on the head) -------------------------------------

def sharp():
    verticals = union(box(8.6, 1.0, 10.4, 23.0), box(13.6, 1.0, 15.4, 23.0))
    bars = union(stroke([(5.0, 9.6), (19.0, 6.6)], 3.2), stroke([(5.0, 17.4), (19.0, 14.4)], 3.2))
    return union(verticals, bars)


def natural():
    left = box(7.6, 1.0, 9.4, 17.6)
    right = box(14.6, 6.4, 16.4, 23.0)
    bars = union(stroke([(8.5, 9.6), (15.5, 7.8)], 3.2), stroke([(8.5, 16.2), (15.5, 14.4)], 3.2))
    return union(left, right, bars)


# --- heads (16 x 16, the head's box) ------------------------------------------

def filled_head():
    return ellipse(8.0, 8.0, 7.6, 5.4, -22.0)


def open_head():
    return minus(filled_head(), ellipse(8.0, 8.0, 5.6, 2.6, -30.0))


def whole_head():
    return minus(ellipse(8.0, 8.0, 7.8, 5.8, 0.0), ellipse(7.8, 8.0, 3.4, 4.2, 60.0))


# --- stems with flags (16 x 32; one spacing is 8 units) ------------------------

STEM = (7.3, 8.7)


def up_stem(flags):
    parts = [box(STEM[0], 0.0, STEM[1], 32.0)]
    for i in range(flags):
        y = 0.6 + i * 6.0
        parts.append(stroke(bezier((STEM[1] - 0.4, y), (STEM[1] + 0.8, y + 5.0), (16.4, y + 6.0), (14.0, y + 13.0)),
                            3.0, 1.0))
    return union(*parts)


def down_stem(flags):
    parts = [box(STEM[0], 0.0, STEM[1], 32.0)]
    for i in range(flags):
        y = 31.4 - i * 6.0
        parts.append(stroke(bezier((STEM[1] - 0.4, y), (STEM[1] + 0.8, y - 5.0), (16.4, y - 6.0), (14.0, y - 13.0)),
                            3.0, 1.0))
    return union(*parts)


def dot():
    return circle(4.0, 4.0, 3.0)


# --- rests ---------------------------------------------------------------------

def block_rest():
    # Half a spacing of a 1.8-spacing glyph is 24 / 3.6 units.
    return box(6.0, 0.2, 18.0, 24 / 3.6)


GLYPHS = {
    "treble": (32, 32, treble_clef()),
    "bass": (32, 32, bass_clef()),
    "sharp": (24, 24, sharp()),
    "natural": (24, 24, natural()),
    "head-filled": (16, 16, filled_head()),
    "head-open": (16, 16, open_head()),
    "head-whole": (16, 16, whole_head()),
    "stem-up-0": (16, 32, up_stem(0)),
    "stem-up-1": (16, 32, up_stem(1)),
    "stem-up-2": (16, 32, up_stem(2)),
    "stem-down-0": (16, 32, down_stem(0)),
    "stem-down-1": (16, 32, down_stem(1)),
    "stem-down-2": (16, 32, down_stem(2)),
    "dot": (8, 8, dot()),
    "rest-sixteenth": (24, 24, scaled(sixteenth_rest(), 30 / 24)),
    "rest-eighth": (24, 24, scaled(eighth_rest(), 30 / 24)),
    "rest-quarter": (32, 32, scaled(quarter_rest(), 30 / 32)),
    "rest-block": (24, 24, block_rest()),
}


def render(width, height, shape):
    size = SCALE * SAMPLES
    rows = []
    for py in range(height * SCALE):
        row = []
        for px in range(width * SCALE):
            hits = 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = (px * SAMPLES + sx + 0.5) / size
                    y = (py * SAMPLES + sy + 0.5) / size
                    hits += 1 if shape(x, y) else 0
            v = round(255 * hits / (SAMPLES * SAMPLES))
            row.append((v, v, v))
        rows.append(row)
    return rows


def main():
    os.makedirs(OUT, exist_ok=True)
    names = sys.argv[1:] or list(GLYPHS)
    for name in names:
        width, height, shape = GLYPHS[name]
        pixels = render(width, height, shape)
        write_png(os.path.join(OUT, f"{name}.png"), width * SCALE, height * SCALE, lambda x, y, p=pixels: p[y][x])


if __name__ == "__main__":
    main()
