#!/usr/bin/env python3
"""Draws the program's 32 x 32 icon: a red waveform over a green page with a bar line.

Run from the repository root: tools/art/make_icon.py
"""
import math
import os

from png import write_png

SIZE = 32


def pixel(x, y):
    if x in (0, SIZE - 1) or y in (0, SIZE - 1):
        return (64, 110, 64)
    if x == 21:
        return (0, 64, 0)  # a bar line
    wave = 16 + 9 * math.sin(x / 3.2) * math.exp(-((x - 15) / 14) ** 2)
    if abs(y - wave) < 1.6:
        return (220, 30, 30)
    return (172, 205, 172)


if __name__ == "__main__":
    out = os.path.join("resources", "icons")
    os.makedirs(out, exist_ok=True)
    write_png(os.path.join(out, "harkwell.png"), SIZE, SIZE, pixel)
