#!/usr/bin/env python3
"""Draws the 15 note and rest symbols of the note-value picker, 30 x 30 each.

The picker combines a symbol into its cell with exclusive-or: on a black cell
the symbol shows as drawn, on a chosen cell (0x202000) tinted. So every symbol
is a light glyph on pure black, and its outermost pixel ring stays black,
because the cell's frame is drawn over it.

  140 whole            141 half             142 dotted half
  143 double-dotted half                    144 quarter
  145 dotted quarter   146 double-dotted quarter
  147 eighth           148 dotted eighth    149 sixteenth
  150 whole rest       151 half rest        152 quarter rest
  153 eighth rest      154 sixteenth rest

Shapes are plain geometry (tilted ellipses, strokes along curves, circles),
anti-aliased by sampling every pixel 6 x 6 times.
Run from the repository root: tools/art/make_symbols.py
"""
import math
import os

from png import write_png

SIZE = 30
SAMPLES = 6
INK = (255, 255, 255)
OUT = os.path.join("resources", "bitmaps")

# Note geometry shared by the stemmed notes, so that they line up in the picker.
HEAD_Y = 22.0
HEAD_RX, HEAD_RY, HEAD_TILT = 5.0, 3.5, -22.0
STEM_WIDTH = 1.2
DOT_RADIUS = 1.45
DOT_GAP = 3.9


# --- shapes: functions (x, y) -> inside, in pixel units, y downwards ---------

def ellipse(cx, cy, rx, ry, tilt_deg):
    a = math.radians(tilt_deg)
    ca, sa = math.cos(a), math.sin(a)

    def inside(x, y):
        dx, dy = x - cx, y - cy
        u = dx * ca + dy * sa
        v = -dx * sa + dy * ca
        return (u / rx) ** 2 + (v / ry) ** 2 <= 1.0

    return inside


def ellipse_half_width(rx, ry, tilt_deg):
    """How far a tilted ellipse reaches left and right of its centre."""
    a = math.radians(tilt_deg)
    return math.sqrt((rx * math.cos(a)) ** 2 + (ry * math.sin(a)) ** 2)


def circle(cx, cy, r):
    return ellipse(cx, cy, r, r, 0.0)


def box(left, top, right, bottom):
    return lambda x, y: left <= x <= right and top <= y <= bottom


def stroke(points, width_from, width_to=None):
    """A pen stroke along a polyline whose width tapers from start to end."""
    width_to = width_from if width_to is None else width_to
    lengths = [0.0]
    for (x0, y0), (x1, y1) in zip(points, points[1:]):
        lengths.append(lengths[-1] + math.hypot(x1 - x0, y1 - y0))
    total = lengths[-1] or 1.0

    def inside(x, y):
        for i, ((x0, y0), (x1, y1)) in enumerate(zip(points, points[1:])):
            dx, dy = x1 - x0, y1 - y0
            d2 = dx * dx + dy * dy
            t = 0.0 if d2 == 0 else max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / d2))
            px, py = x0 + t * dx, y0 + t * dy
            along = (lengths[i] + t * (lengths[i + 1] - lengths[i])) / total
            half = (width_from + (width_to - width_from) * along) / 2
            if (x - px) ** 2 + (y - py) ** 2 <= half * half:
                return True
        return False

    return inside


def bezier(p0, p1, p2, p3, steps=24):
    points = []
    for i in range(steps + 1):
        t = i / steps
        s = 1 - t
        points.append(tuple(s * s * s * a + 3 * s * s * t * b + 3 * s * t * t * c + t * t * t * d
                            for a, b, c, d in zip(p0, p1, p2, p3)))
    return points


def union(*shapes):
    return lambda x, y: any(shape(x, y) for shape in shapes)


def minus(shape, hole):
    return lambda x, y: shape(x, y) and not hole(x, y)


def shifted(shape, dx, dy):
    return lambda x, y: shape(x - dx, y - dy)


# --- notes -------------------------------------------------------------------

def head(cx, hollow):
    outer = ellipse(cx, HEAD_Y, HEAD_RX, HEAD_RY, HEAD_TILT)
    if not hollow:
        return outer
    return minus(outer, ellipse(cx, HEAD_Y, HEAD_RX - 1.9, HEAD_RY - 2.3, HEAD_TILT - 20))


def dots(x, y, count):
    return union(*(circle(x + i * DOT_GAP, y, DOT_RADIUS) for i in range(count)))


def stemmed_note(hollow=False, flags=0, dot_count=0):
    cx = 11.0
    # On a pixel boundary, so that the stem is crisp instead of a grey smear.
    stem_right = float(math.floor(cx + ellipse_half_width(HEAD_RX, HEAD_RY, HEAD_TILT)))
    stem_left = stem_right - STEM_WIDTH
    top = 4.0 if flags < 2 else 2.0
    parts = [head(cx, hollow), box(stem_left, top, stem_right, HEAD_Y - 0.5)]
    for i in range(flags):
        y = top + i * 5.6
        reach = 11.5 if flags == 1 else 8.2
        parts.append(stroke(bezier((stem_right - 0.6, y + 0.8), (stem_right + 0.4, y + 4.2),
                                   (stem_right + 6.2, y + 5.0), (stem_right + 4.6, y + reach)),
                            2.8, 1.0))
    if dot_count:
        # Dots sit in the space just above the head's line, clear of the flags.
        parts.append(dots(stem_right + 3.2, HEAD_Y - 1.4, dot_count))
    return union(*parts)


def whole_note():
    outer = ellipse(15.0, 15.0, 6.3, 4.3, 0.0)
    hole = ellipse(14.8, 15.0, 3.2, 2.1, 60.0)
    return minus(outer, hole)


# --- rests -------------------------------------------------------------------

def whole_rest():
    # A block hanging from a line, so it cannot be taken for the half rest.
    return union(box(5.0, 11.0, 25.0, 12.0), box(10.0, 12.0, 20.0, 17.0))


def half_rest():
    # A block sitting on a line.
    return union(box(10.0, 13.0, 20.0, 18.0), box(5.0, 18.0, 25.0, 19.0))


def quarter_rest():
    zig = stroke([(12.6, 4.0), (17.4, 9.6)], 1.4, 2.2)
    bar = stroke([(17.2, 9.8), (13.0, 15.2)], 3.6, 3.2)
    zag = stroke([(13.2, 15.0), (17.8, 20.6)], 2.0, 1.6)
    hook = stroke(bezier((17.6, 20.6), (12.6, 18.0), (10.8, 23.6), (15.8, 26.4)), 2.0, 1.3)
    return union(zig, bar, zag, hook)


def rest_flag(blob_x, blob_y, end_x, end_y):
    blob = circle(blob_x, blob_y, 2.1)
    curl = stroke(bezier((blob_x - 0.8, blob_y + 1.2), (blob_x + 2.0, blob_y + 3.6),
                         (end_x - 2.6, end_y + 1.4), (end_x, end_y)), 1.4, 1.1)
    return union(blob, curl)


def eighth_rest():
    stem = stroke([(19.2, 9.0), (14.0, 25.0)], 1.45, 1.45)
    return union(rest_flag(12.4, 9.8, 19.2, 9.0), stem)


def sixteenth_rest():
    stem = stroke([(20.4, 5.0), (13.6, 26.0)], 1.45, 1.45)
    return union(rest_flag(13.4, 5.8, 20.4, 5.0), rest_flag(11.2, 12.6, 18.2, 11.8), stem)


SYMBOLS = {
    140: whole_note(),
    141: stemmed_note(hollow=True),
    142: stemmed_note(hollow=True, dot_count=1),
    143: stemmed_note(hollow=True, dot_count=2),
    144: stemmed_note(),
    145: stemmed_note(dot_count=1),
    146: stemmed_note(dot_count=2),
    147: stemmed_note(flags=1),
    148: stemmed_note(flags=1, dot_count=1),
    149: stemmed_note(flags=2),
    150: whole_rest(),
    151: half_rest(),
    152: quarter_rest(),
    153: eighth_rest(),
    154: sixteenth_rest(),
}


# --- rendering ---------------------------------------------------------------

def coverage(shape):
    """Share of each pixel's samples inside the shape, as rows of 0.0 .. 1.0."""
    step = 1.0 / SAMPLES
    offsets = [(i + 0.5) * step for i in range(SAMPLES)]
    return [[sum(shape(x + sx, y + sy) for sx in offsets for sy in offsets) / (SAMPLES * SAMPLES)
             for x in range(SIZE)] for y in range(SIZE)]


def centred(shape):
    """The shape moved so that its ink is centred across the cell."""
    cover = coverage(shape)
    columns = [x for x in range(SIZE) if any(cover[y][x] > 0 for y in range(SIZE))]
    if not columns:
        return cover
    dx = round((SIZE - 1 - columns[-1] - columns[0]) / 2)
    return coverage(shifted(shape, dx, 0)) if dx else cover


def render(shape):
    cover = centred(shape)
    for y in range(SIZE):
        for x in range(SIZE):
            if x in (0, SIZE - 1) or y in (0, SIZE - 1):
                cover[y][x] = 0.0  # the cell's frame covers this ring
    return [[tuple(int(round(c * v)) for v in INK) for c in row] for row in cover]


def main():
    os.makedirs(OUT, exist_ok=True)
    for symbol_id, shape in SYMBOLS.items():
        pixels = render(shape)
        write_png(os.path.join(OUT, f"{symbol_id}.png"), SIZE, SIZE, lambda x, y, p=pixels: p[y][x])


if __name__ == "__main__":
    main()
