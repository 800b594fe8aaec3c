#!/usr/bin/env python3
"""Draws the two 88 x 30 button looks: 130 released, 129 pressed.

A soft green face with a rounded bevel; the pressed look is darker and its
bevel turned inside out, so a button visibly sinks while its command runs.
Run from the repository root: tools/art/make_buttons.py
"""
import os

from png import write_png

WIDTH, HEIGHT = 88, 30
OUT = os.path.join("resources", "bitmaps")


def clamp(v):
    return max(0, min(255, int(round(v))))


def button(pressed):
    light, dark = ((120, 150, 120), (250, 255, 250)) if pressed else ((250, 255, 250), (110, 140, 110))
    top, bottom = ((176, 204, 176), (200, 226, 200)) if pressed else ((232, 246, 232), (188, 218, 188))

    def pixel(x, y):
        # Corners outside a 3-pixel radius show the dialog's background.
        for cx, cy in ((3, 3), (WIDTH - 4, 3), (3, HEIGHT - 4), (WIDTH - 4, HEIGHT - 4)):
            if (x < 3 or x > WIDTH - 4) and (y < 3 or y > HEIGHT - 4):
                if (x - cx) ** 2 + (y - cy) ** 2 > 10 and abs(x - cx) <= 3 and abs(y - cy) <= 3:
                    return (172, 205, 172)
        if x == 0 or y == 0 or x == WIDTH - 1 or y == HEIGHT - 1:
            return (64, 110, 64)
        if x == 1 or y == 1:
            return light
        if x == WIDTH - 2 or y == HEIGHT - 2:
            return dark
        t = (y - 2) / (HEIGHT - 5)
        return tuple(clamp(a + (b - a) * t) for a, b in zip(top, bottom))

    return pixel


if __name__ == "__main__":
    os.makedirs(OUT, exist_ok=True)
    write_png(os.path.join(OUT, "130.png"), WIDTH, HEIGHT, button(pressed=False))
    write_png(os.path.join(OUT, "129.png"), WIDTH, HEIGHT, button(pressed=True))
