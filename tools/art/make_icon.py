#!/usr/bin/env python3
"""Draws the program's icon: a red waveform over a green page with a bar line.

The 32 x 32 picture is the window's icon (resources/icons/harkwell.png); the
same drawing at the desktop's usual sizes and as SVG goes into
resources/icons/hicolor/ for the menu and the package.

Run from the repository root: tools/art/make_icon.py
"""
import math
import os

from png import write_png

BASE = 32
SIZES = (16, 22, 24, 32, 48, 64, 128, 256)
NAME = "harkwell"


def wave_y(x, scale):
    """The waveform's height at column x of a picture `scale` times the base size."""
    u = x / scale
    return scale * (16 + 9 * math.sin(u / 3.2) * math.exp(-((u - 15) / 14) ** 2))


def painter(size):
    scale = size / BASE
    bar = round(21 * scale)
    border = max(1, round(scale))
    line = max(1, round(scale))

    def pixel(x, y):
        if x < border or y < border or x >= size - border or y >= size - border:
            return (64, 110, 64)
        if bar <= x < bar + line:
            return (0, 64, 0)  # a bar line
        if abs(y - wave_y(x, scale)) < 1.6 * scale:
            return (220, 30, 30)
        return (172, 205, 172)

    return pixel


def svg():
    points = " ".join(f"{x / 4:.2f},{wave_y(x / 4, 1):.2f}" for x in range(4, 4 * (BASE - 1) + 1))
    return f"""<?xml version="1.0" encoding="UTF-8"?>
<svg xmlns="http://www.w3.org/2000/svg" width="{BASE}" height="{BASE}" viewBox="0 0 {BASE} {BASE}">
  <rect x="0.5" y="0.5" width="{BASE - 1}" height="{BASE - 1}" fill="#accdac" stroke="#406e40"/>
  <rect x="21" y="1" width="1" height="{BASE - 2}" fill="#004000"/>
  <polyline points="{points}" fill="none" stroke="#dc1e1e" stroke-width="2.6" stroke-linejoin="round"/>
</svg>
"""


if __name__ == "__main__":
    out = os.path.join("resources", "icons")
    os.makedirs(out, exist_ok=True)
    write_png(os.path.join(out, f"{NAME}.png"), BASE, BASE, painter(BASE))
    for size in SIZES:
        folder = os.path.join(out, "hicolor", f"{size}x{size}", "apps")
        os.makedirs(folder, exist_ok=True)
        write_png(os.path.join(folder, f"{NAME}.png"), size, size, painter(size))
    folder = os.path.join(out, "hicolor", "scalable", "apps")
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, f"{NAME}.svg"), "w", encoding="utf-8") as f:
        f.write(svg())
